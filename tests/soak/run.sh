#!/usr/bin/env bash
# The outage soak: a private MariaDB, the plant simulator, and ordal-soak
# running the workstation offscreen while it stalls and kills the server at
# random moments; it prints a table of what it measured against its limits
# (see tests/soak/soak.cpp for what it checks) and exits non-zero on a miss.
# Where the event loop was late is in BUILD_DIR/soak-workstation.log.
#   tests/soak/run.sh SECONDS [BUILD_DIR] [SEED]
# With ORDAL_SOAK_MODE=replica: a primary and its replica (ports
# ORDAL_SOAK_DB_PORT and the one after it), and only the primary is killed
# and restarted while the replica lives.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:?usage: tests/soak/run.sh SECONDS [BUILD_DIR] [SEED]}
build=$(cd "${2:-$here/build}" && pwd)
seed=${3:-$RANDOM}
port=${ORDAL_SOAK_DB_PORT:-33920}
mode=${ORDAL_SOAK_MODE:-server}
ninja -C "$build" ordal-soak ordal-plantsim >/dev/null
if [ "$mode" = replica ]; then
  dir="$build/soak-replication"
  fixture="$here/tests/fixtures/replication.sh"
  cleanup() {
    kill -CONT "$(cat "$dir/primary/mysqld.pid" 2>/dev/null)" 2>/dev/null || true
    bash "$fixture" stop "$dir" >/dev/null 2>&1 || true
  }
  trap cleanup EXIT
  rm -rf "$dir"
  bash "$fixture" start "$dir" "$port" "$((port + 1))" "$here/db/schema.sql" "$build/sim/ordal-plantsim" >/dev/null
  echo "outage soak of the primary, the replica living, for $seconds s (seed $seed)"
  "$build/tests/soak/ordal-soak" --replication "$dir" --fixture "$fixture" --seconds "$seconds" \
    --seed "$seed" 2>"$build/soak-workstation.log"
  exit
fi
dir="$build/soak-mariadb"
fixture="$here/tests/fixtures/mariadb.sh"
rm -rf "$dir"
bash "$fixture" start "$dir" "$port" "$here/db/schema.sql" >/dev/null
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  [ -f "$dir/mysqld.pid" ] && kill -CONT "$(cat "$dir/mysqld.pid")" 2>/dev/null || true
  bash "$fixture" stop "$dir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$build/sim/ordal-plantsim" --port "$port" --backfill-hours 0.1 --interval-ms 1000 </dev/null >"$build/soak-plantsim.log" 2>&1 &
sim_pid=$!
sleep 3
echo "outage soak for $seconds s (seed $seed)"
"$build/tests/soak/ordal-soak" --port "$port" --data-dir "$dir" --fixture "$fixture" --seconds "$seconds" \
  --seed "$seed" 2>"$build/soak-workstation.log"
