#!/usr/bin/env bash
# Starts a private MariaDB, fills pu_data with a day at one row a second
# (86,400 rows, indexed RecMoment), and runs bench_trends: the heavy-medium
# trend window reloading that day against the raw fetch of the same rows over
# an open connection ("reload / raw fetch"), and against the stock mariadb
# client with its start and login taken off (the last line).
#   bench/run_trends.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33918}
dir="$build/bench-trends-mariadb"
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
# The shift day 05.03.2026 07:00:00 ... 06.03.2026 06:59:59.
rows=$(sql -N -e "select count(*) from pu_data where RecMoment between '2026-03-05 07:00:00' and '2026-03-06 06:59:59'")
if [ "$rows" -ne 86400 ]; then
  echo "filling pu_data with 86400 rows ..."
  sql <<'SQL'
DELETE FROM pu_data; DELETE FROM last_state; DELETE FROM setup;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT timestampadd(second, seq, '2026-03-05 07:00:00'),
       round(1750 + 150 * sin(seq / 5000) + 12 * sin(seq / 7.3), 2), 1750, round(50 + 20 * sin(seq / 3000), 2),
       round(40 + 15 * cos(seq / 4000), 2), round(35 + 25 * sin(seq / 2000), 2), round(50 + 30 * sin(seq / 9000), 2),
       1750, if(seq % 20000 < 1800, 1, 0)
FROM seq_0_to_86399;
INSERT INTO last_state VALUES (now());
ANALYZE TABLE pu_data;
SQL
fi
ninja -C "$build" bench_trends >/dev/null
ORDAL_BENCH_DB_PORT=$port "$build/bench/bench_trends"
