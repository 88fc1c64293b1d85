#!/usr/bin/env bash
# README command 1: builds the workstation and starts it against a demo plant
# on this machine: a private MariaDB (own data directory, socket and loopback
# port; never the system service), the plant simulator playing the controller
# with a day of history, and a configuration that connects to it. Closing the
# workstation, or stopping this script (Ctrl-C, kill), stops the simulator, the
# server and the virtual screen, each by its own process id.
#
#   ORDAL_DEMO_PORT   loopback port of the demo server (33916)
#   ORDAL_DEMO_DIR    where the demo lives (./demo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/deps.sh

port=${ORDAL_DEMO_PORT:-33916}
demo=$(mkdir -p "${ORDAL_DEMO_DIR:-$here/demo}" && cd "${ORDAL_DEMO_DIR:-$here/demo}" && pwd)
build="$here/build-demo"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDAL_BUILD_TESTS=OFF -DORDAL_BUILD_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$demo/ordal" >/dev/null
ninja -C "$build" -j2
cmake --install "$build" >/dev/null

# Everything this script starts in the background is stopped by its own process
# id, never by a name or a pattern: on a shared machine another user's
# simulator, tail or X server may match any pattern we could write.
pids=()
stop_pid() {
  local pid=$1
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
cleaned=0
cleanup() {
  [ "$cleaned" = 1 ] && return 0
  cleaned=1
  local i
  # The last started first: the workstation before the plant, the plant before its input.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_pid "${pids[i]}"; done
  rm -f "$demo/plant-feed" "$demo/xvfb.display"
  bash "$here/tests/fixtures/mariadb.sh" stop "$demo/mariadb" || true
}
trap cleanup EXIT
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 143' TERM

bash tests/fixtures/mariadb.sh start "$demo/mariadb" "$port" db/schema.sql
sql() { mariadb --no-defaults --protocol=socket --socket="$demo/mariadb/mysqld.sock" -uroot ordalm "$@"; }

# The plant: the simulator plays the controller with a day of history behind it.
# It takes commands typed into demo/plant-commands, e.g.
#   echo stop >> demo/plant-commands      (also: start, manual, auto, mute, beat,
#   upset density, upset overflow, upset chatter, upset clear: see ordal-plantsim --help)
# tail hands them on through a pipe of the demo's own, so that each of the two
# runs as a process whose id we have.
: >"$demo/plant-commands"
sql -e "DELETE FROM setup WHERE ConstName = 'MIN_PLS'; DELETE FROM last_state;"
rm -f "$demo/plant-feed"
mkfifo "$demo/plant-feed"
tail -n0 -F "$demo/plant-commands" >"$demo/plant-feed" 2>/dev/null &
pids+=($!)
"$demo/ordal/ordal-plantsim" --port "$port" --backfill-hours 24 --min-pls 1100 <"$demo/plant-feed" \
  >"$demo/plantsim.log" 2>&1 &
pids+=($!)
echo "plant simulator started (log: $demo/plantsim.log; commands: echo stop >> $demo/plant-commands)"
for _ in $(seq 1 120); do
  [ "$(sql -N -e 'select count(*) from last_state' 2>/dev/null || echo 0)" -gt 0 ] && break
  sleep 0.5
done

# The configuration that connects to the demo server (password "ordal", stored scrambled).
ini="$demo/ordal/ordal.INI"
if [ ! -f "$ini" ]; then
  cat >"$ini" <<INI
[main]
Caption=ОРДАЛ-М ( 1.17 ) — демонстрационная установка
FirstChangeStart=7
DateIncrement=0
ShutdownOnExit=0

[MySQL]
Login=ordal
Comp=127.0.0.1:$port
Version=5
SavePassword=1
Password=5Q555Q<1U5YDUYDV5LXOL>M51U0B5QUVVQMV>115MM1MVD<1QBQOUQV1MDLU<Q>XBO0Z5Y

; A stopped section is drawn in dim colours, so the demo shows the difference.
[OffColors]
Condition=0x00000080
NonCondition=0x00008000
Water=0x00808000
HydroCyclone=0x00008080
ShlamWater=0x00800000
GC_mix=0x00404040
EBM_rotor=0x00808080
EBM_stator=0x00404040
WaterCyrcle=0x00808000
INI
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # A display number nobody uses: Xvfb takes the first free one itself and
  # writes it to the given descriptor once it accepts clients (as xvfb-run -a
  # looks for one), so another user's screen on this machine is left alone.
  rm -f "$demo/xvfb.display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$demo/xvfb.display" >"$demo/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do
    [ -s "$demo/xvfb.display" ] && break
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$demo/xvfb.display" ] || { echo "the virtual screen did not start:" >&2; cat "$demo/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$demo/xvfb.display")"
  echo "No graphical session (DISPLAY is not set); the workstation runs on the virtual screen $DISPLAY." >&2
fi
# In the background and waited for: bash runs a trap only once a foreground
# command has ended, so a TERM to this script would otherwise leave it running.
"$demo/ordal/ordal" &
pids+=($!)
echo "workstation started (pid ${pids[-1]})"
rc=0
wait "${pids[-1]}" || rc=$?
exit "$rc"
