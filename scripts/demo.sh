#!/usr/bin/env bash
# README command 1: builds the workstation and starts it against a demo plant
# on this machine: a private MariaDB (own data directory, socket and loopback
# port; never the system service) filled with a few hours of history, a
# heartbeat that plays the controller, and a configuration that connects to it.
# Closing the workstation stops the heartbeat and the server.
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
  [ -n "${beat:-}" ] && kill "$beat" 2>/dev/null || true
  bash "$here/tests/fixtures/mariadb.sh" stop "$demo/mariadb" || true
}
trap cleanup EXIT INT TERM

# A few hours of history, one row every 10 s, and the plant's constants.
sql <<'SQL'
DELETE FROM pu_data; DELETE FROM last_state; DELETE FROM control_log; DELETE FROM setup;
INSERT INTO setup (ConstName, ConstVal, Comment) VALUES
  ('MIN_PLS', 1100, 'Плотность, ниже которой секция считается остановленной, кг/м3');
SET SESSION max_recursive_iterations = 100000;
INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
WITH RECURSIVE t(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM t WHERE n < 4 * 360)
SELECT now() - INTERVAL (4 * 3600 - n * 10) SECOND,
       1700 + 25 * sin(n / 40) + 8 * sin(n / 7), 1700, 55 + 15 * sin(n / 90), 40 + 10 * cos(n / 70),
       35 + 10 * sin(n / 50), 50 + 30 * sin(n / 120), 1700, 0
FROM t;
INSERT INTO last_state (RecMoment) VALUES (now());
INSERT INTO control_log (RecMoment, MessageText) VALUES
  (now() - INTERVAL 3 HOUR, 'Пуск секции'),
  (now() - INTERVAL 2 HOUR, 'Задание плотности 1700 кг/м3'),
  (now() - INTERVAL 40 MINUTE, 'Переход в автоматический режим');
SQL

# The controller's heartbeat: a new record and a fresh last_state every second.
(
  n=0
  while true; do
    n=$((n + 1))
    echo "UPDATE last_state SET RecMoment = now();"
    echo "INSERT INTO pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1)
          SELECT now(), 1700 + 25 * sin($n / 40) + 8 * sin($n / 7), 1700, 55 + 15 * sin($n / 90),
                 40 + 10 * cos($n / 70), 35 + 10 * sin($n / 50), 50 + 30 * sin($n / 120), 1700, 0;"
    sleep 1
  done | sql
) &
beat=$!

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
