#!/usr/bin/env bash
# README command 1: builds the workstation and starts it against a demo plant
# on this machine: a private MariaDB (own data directory, socket and loopback
# port; never the system service), the plant simulator playing the controller
# with a day of history, and a configuration that connects to it. Closing the
# workstation stops the simulator and the server.
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

bash tests/fixtures/mariadb.sh start "$demo/mariadb" "$port" db/schema.sql
sql() { mariadb --no-defaults --protocol=socket --socket="$demo/mariadb/mysqld.sock" -uroot ordalm "$@"; }

cleanup() {
  pkill -f "$demo/ordal/ordal-plantsim" 2>/dev/null || true
  pkill -f "tail -n0 -F $demo/plant-commands" 2>/dev/null || true
  bash "$here/tests/fixtures/mariadb.sh" stop "$demo/mariadb" || true
}
trap cleanup EXIT INT TERM

# The plant: the simulator plays the controller with a day of history behind it.
# It takes commands typed into demo/plant-commands, e.g.
#   echo stop >> demo/plant-commands      (also: start, manual, auto, mute, beat)
: >"$demo/plant-commands"
sql -e "DELETE FROM setup WHERE ConstName = 'MIN_PLS'; DELETE FROM last_state;"
tail -n0 -F "$demo/plant-commands" 2>/dev/null | "$demo/ordal/ordal-plantsim" --port "$port" --backfill-hours 24 \
  --min-pls 1100 >"$demo/plantsim.log" 2>&1 &
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
  echo "No graphical session (DISPLAY is not set); starting the workstation on a virtual screen :99." >&2
  Xvfb :99 -screen 0 1920x1080x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null; cleanup' EXIT INT TERM
  export DISPLAY=:99
  sleep 1
fi
"$demo/ordal/ordal"
