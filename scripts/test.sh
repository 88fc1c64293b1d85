#!/usr/bin/env bash
# Builds everything and runs every test (README command 2). Installs the
# packages it needs when they are missing; starts and stops its own MariaDB.
#   ORDAL_SANITIZE=1 scripts/test.sh   builds and tests with ASan+UBSan
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/deps.sh

build=${ORDAL_BUILD_DIR:-build-test}
san=OFF
[ "${ORDAL_SANITIZE:-0}" = 1 ] && { san=ON; build=${ORDAL_BUILD_DIR:-build-asan}; }
# (the benchmarks are not built with the sanitizers: their figures would mean nothing)
bench=ON; [ "$san" = ON ] && bench=OFF
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDAL_WERROR=ON -DORDAL_SANITIZE=$san \
  -DORDAL_BUILD_BENCH=$bench
ninja -C "$build" -j2
cd "$build"
export QT_QPA_PLATFORM=offscreen
# The database client library and Qt's plugins keep memory until exit, which the
# leak checker would report in every database test; address and UB checks stay on.
if [ "$san" = ON ]; then export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"; fi
ctest --output-on-failure --timeout 600 -j1
# The Debian package built from this build, and checked (files, install and
# upgrade in a scratch root); the sanitizer build is not packaged.
cd "$here"
if [ "$san" = OFF ]; then bash scripts/package.sh --check "$build"; fi
