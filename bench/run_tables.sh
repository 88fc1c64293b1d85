#!/usr/bin/env bash
# Starts a private MariaDB holding a day of pu_data at 1 Hz (86,400 rows) and a
# shift day of 10,000 control_log entries, and runs bench_tables: the database
# browser and the event journal loading them, against the raw fetch of the same
# rows over an open connection ("... / raw fetch"), and against the stock
# mariadb client with its start and login taken off.
#   bench/run_tables.sh [BUILD_DIR]      (ORDAL_BENCH_DB_PORT, default 33920)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33920}
dir="$build/bench-tables-mariadb"
day=2026-03-10
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
if [ "$(sql -N -e "select count(*) from pu_data")" != 86400 ] || [ "$(sql -N -e "select count(*) from control_log")" != 10000 ]; then
  echo "filling pu_data (86400 rows) and control_log (10000 entries) ..."
  sql <<SQL
DELETE FROM pu_data; DELETE FROM control_log; DELETE FROM last_state; DELETE FROM setup;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT timestamp('$day') + INTERVAL seq SECOND, 1700 + 20 * sin(seq / 50), 1700, 50 + 10 * sin(seq / 300),
       40 + 5 * cos(seq / 200), 30 + seq % 7, 50, 1700, 0
FROM seq_0_to_86399;
-- A shift day runs from 07:00:00 to 06:59:59 of the next day.
INSERT INTO control_log (RecMoment, MessageText)
SELECT timestamp('$day 07:00:00') + INTERVAL (seq * 8) SECOND,
       concat('Задание плотности суспензии изменено оператором: ', 1650 + seq % 100, ' кг/м3 (запись ', seq, ')')
FROM seq_0_to_9999;
INSERT INTO last_state VALUES (now());
ANALYZE TABLE pu_data, control_log;
SQL
fi
ninja -C "$build" bench_tables >/dev/null
ORDAL_BENCH_DB_PORT=$port ORDAL_BENCH_DAY=$day "$build/bench/bench_tables"
