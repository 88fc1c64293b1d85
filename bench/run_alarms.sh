#!/usr/bin/env bash
# Starts a private MariaDB with a little plant history and runs bench_alarms.
#   bench/run_alarms.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33918}
dir="$build/bench-mariadb"
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
if [ "$(sql -N -e "select count(*) from pu_data")" -eq 0 ]; then
  sql <<SQL
DELETE FROM last_state; DELETE FROM setup;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT now() - INTERVAL seq SECOND, 1700 + 20 * sin(seq / 50), 1700, 50, 40, 30, 50, 1700, 0 FROM seq_1_to_3600;
INSERT INTO last_state VALUES (now());
SQL
fi
ninja -C "$build" bench_alarms >/dev/null
ORDAL_BENCH_DB_PORT=$port "$build/bench/bench_alarms"
