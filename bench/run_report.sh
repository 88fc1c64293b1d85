#!/usr/bin/env bash
# Starts a private MariaDB, fills shift 1 of 05.03.2026 (07:00:00-18:59:59)
# with 43,200 one-second records, 500 journal lines and a few setpoints, and
# runs bench_report: "Отчёт за смену" made into a PDF against the raw fetch of
# the shift's rows over an open connection ("shift report / raw fetch").
#   bench/run_report.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33919}
dir="$build/bench-report-mariadb"
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
trap 'bash "$here/tests/fixtures/mariadb.sh" stop "$dir"' EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
rows=$(sql -N -e "select count(*) from pu_data where RecMoment between '2026-03-05 07:00:00' and '2026-03-05 18:59:59'")
lines=$(sql -N -e "select count(*) from control_log")
if [ "$rows" -ne 43200 ] || [ "$lines" -ne 500 ]; then
  echo "filling the shift: 43200 records, 500 journal lines ..."
  sql <<'SQL'
DELETE FROM pu_data; DELETE FROM last_state; DELETE FROM setup; DELETE FROM control_log; DELETE FROM control_vector;
INSERT INTO setup VALUES ('MIN_PLS', 1100, 'bench');
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
SELECT timestampadd(second, seq, '2026-03-05 07:00:00'),
       round(1750 + 150 * sin(seq / 5000) + 12 * sin(seq / 7.3), 2), if(seq < 20000, 1750, 1800),
       round(50 + 20 * sin(seq / 3000), 2), round(40 + 15 * cos(seq / 4000), 2), round(35 + 25 * sin(seq / 2000), 2),
       round(50 + 30 * sin(seq / 9000), 2), 1750, if(seq % 20000 < 1800, 1, 0)
FROM seq_0_to_43199;
INSERT INTO control_log (RecMoment, MessageText)
SELECT timestampadd(second, seq * 86, '2026-03-05 07:00:30'),
       concat('Сообщение контроллера № ', seq + 1, ': уровень в сборнике кондиционной суспензии ', 40 + seq % 50, ' %')
FROM seq_0_to_499;
INSERT INTO control_vector (RecMoment, UserName, _PLSZ) VALUES
  ('2026-03-05 12:33:20', 'ordal@pult', 1800), ('2026-03-05 15:00:00', 'ordal@pult', 1900);
INSERT INTO last_state VALUES (now());
ANALYZE TABLE pu_data;
SQL
fi
ninja -C "$build" bench_report >/dev/null
ORDAL_BENCH_DB_PORT=$port "$build/bench/bench_report"
