#!/usr/bin/env bash
# The cold start: a private MariaDB holding the plant simulator's day of
# history, the simulator playing the controller, and bench_start timing the
# workstation from its start to the first painted frame of the live scheme
# with the server's values, against a bare Qt window's start to its first
# frame with one connect and one "select 1". Both run on the same virtual
# screen (Xvfb, 1920x1080). The last line is the ratio.
#   bench/run_start.sh [BUILD_DIR]      (ORDAL_BENCH_DB_PORT, default 33921)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
port=${ORDAL_BENCH_DB_PORT:-33921}
dir="$build/bench-start-mariadb"
fixture="$here/tests/fixtures/mariadb.sh"
ninja -C "$build" ordal ordal-plantsim bench_start bench_bare_start >/dev/null
rm -rf "$dir"
bash "$fixture" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  bash "$fixture" stop "$dir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
sql() { mariadb --no-defaults --protocol=socket --socket="$dir/mysqld.sock" -uroot ordalm "$@"; }
echo "the plant simulator writes a day of history ..."
"$build/sim/ordal-plantsim" --port "$port" --backfill-hours 24 </dev/null >"$build/bench-start-plantsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 600); do
  [ "$(sql -N -e 'select count(*) from last_state' 2>/dev/null || echo 0)" -gt 0 ] && break
  sleep 0.5
done
xvfb-run -a -s "-screen 0 1920x1080x24" \
  "$build/bench/bench_start" "$build/app/ordal" "$build/bench/bench_bare_start" "$port"
