#!/usr/bin/env bash
# Starts a private MariaDB, fills pu_data with ROWS rows (one million unless
# told; indexed RecMoment, as the controller side must have it), and runs
# bench_poll.
#   bench/run_poll.sh [BUILD_DIR] [ROWS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
want=${2:-1000000}
port=${ORDAL_BENCH_DB_PORT:-33918}
dir="$build/bench-mariadb"
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
rows=$(sql -N -e "select count(*) from pu_data")
if [ "$rows" -ne "$want" ]; then
  echo "filling pu_data with $want rows ..."
  sql <<SQL
DELETE FROM pu_data; DELETE FROM last_state; DELETE FROM setup;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT now() - INTERVAL seq SECOND, 1700 + 20 * sin(seq / 50), 1700, 50, 40, 30, 50, 1700, 0
FROM seq_1_to_$want;
INSERT INTO last_state VALUES (now());
ANALYZE TABLE pu_data;
SQL
fi
ninja -C "$build" bench_poll >/dev/null
ORDAL_BENCH_DB_PORT=$port "$build/bench/bench_poll"
