#!/usr/bin/env bash
# Starts a private MariaDB holding a week of pu_data at 1 Hz (604,800 rows) and
# runs bench_live: the state poll, the event loop and a setpoint while the
# browser loads the week and while a range is held by the server.
#   bench/run_live.sh [BUILD_DIR]      (ORDAL_BENCH_DB_PORT, default 33921)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33921}
dir="$build/bench-live-mariadb"
day=2026-03-02
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
if [ "$(sql -N -e "select count(*) from pu_data")" != 604800 ]; then
  echo "filling pu_data (604800 rows) ..."
  sql <<SQL
DELETE FROM pu_data; DELETE FROM last_state; DELETE FROM setup; DELETE FROM control_vector;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT timestamp('$day') + INTERVAL seq SECOND, 1900 + 20 * sin(seq / 50), 1900, 50 + 10 * sin(seq / 300),
       40 + 5 * cos(seq / 200), 30 + seq % 7, 50, 1900, 0
FROM seq_0_to_604799;
ANALYZE TABLE pu_data;
SQL
fi
sql -e "DELETE FROM last_state; INSERT INTO last_state VALUES (now());"
ninja -C "$build" bench_live >/dev/null
ORDAL_BENCH_DB_PORT=$port ORDAL_BENCH_DAY=$day "$build/bench/bench_live"
