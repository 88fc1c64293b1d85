#!/usr/bin/env bash
# The scheme benchmarks: a private MariaDB, the plant simulator feeding it, and
#   1. the scheme tick against a full repaint of the scheme window, and the tick
#      of the scheme shown whole (scaled to the frame) against the unscaled one;
#   2. the running workstation for 60 s (offscreen): CPU seconds per wall second,
#      and resident memory against a bare Qt window with one maximised widget.
#   bench/run_scheme.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
seconds=${2:-60}
port=${ORDAL_BENCH_DB_PORT:-33919}
dir="$build/bench-scheme-mariadb"
bash "$here/tests/fixtures/mariadb.sh" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  bash "$here/tests/fixtures/mariadb.sh" stop "$dir"
}
trap cleanup EXIT
ninja -C "$build" bench_scheme bench_bare_window ordal-plantsim >/dev/null
"$build/sim/ordal-plantsim" --port "$port" --backfill-hours 1 --interval-ms 1000 </dev/null >/dev/null 2>&1 &
sim_pid=$!
sleep 3
export QT_QPA_PLATFORM=offscreen ORDAL_BENCH_DB_PORT=$port
"$build/bench/bench_scheme" tick 2>/dev/null
out=$("$build/bench/bench_scheme" run "$seconds" 2>/dev/null)
bare=$("$build/bench/bench_bare_window" 2>/dev/null)
cpu=$(echo "$out" | awk '/cpu_per_wall/ {print $2}')
rss=$(echo "$out" | awk '/rss_kb/ {print $2}')
echo "workstation for ${seconds} s with the simulator: CPU seconds per wall second $cpu (target <= 0.03)"
awk -v a="$rss" -v b="$bare" 'BEGIN { printf "resident memory / bare Qt window: %.2f (%d kB / %d kB, target <= 2.5)\n", a / b, a, b }'
