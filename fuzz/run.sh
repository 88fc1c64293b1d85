#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) into build-fuzz/
# and runs each for SECONDS with a corpus seeded from the program's real files
# (layouts, the demo's INI files, the regression inputs kept in fuzz/corpus/).
#   fuzz/run.sh SECONDS [TARGET...]
# Any finding stops with its input written to build-fuzz/findings/<target>/;
# keep it as a regression case in fuzz/corpus/<target>/ once it is fixed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
bash "$here/scripts/deps.sh" clang libclang-rt-14-dev
build="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDAL_FUZZ=ON \
  -DORDAL_BUILD_TESTS=OFF -DORDAL_BUILD_BENCH=OFF -DORDAL_COMPONENTS="elements;chart;storage;app" >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_inifile fuzz_formatfloat fuzz_password fuzz_textparsers fuzz_pointlists fuzz_layout
                                     fuzz_inidataset fuzz_texttable)
ninja -C "$build" -j2 "${targets[@]}"

seed() { # target -> seed directory
  local t=$1 d="$build/seeds/$1"
  rm -rf "$d"; mkdir -p "$d"
  [ -d "$here/fuzz/corpus/$t" ] && cp "$here/fuzz/corpus/$t/"* "$d/" 2>/dev/null || true
  case $t in
    fuzz_inifile) printf '[main]\r\nCaption=ОРДАЛ-М ( 1.17 )\r\nFirstChangeStart=7\r\n[MySQL]\r\nComp=127.0.0.1\r\nPassword=5Q555Q<1U5\r\n' >"$d/demo.ini"
                  printf '[OnColors]\nCondition=0x000000FF\nWater=65280\n[OnColors]\nCondition=1\n' >"$d/colors.ini"
                  printf '[\xcc\xee\xe9]\n\xca\xeb\xfe\xf7=\xc7\xed\xe0\xf7\n' >"$d/cp1251.ini" ;;
    fuzz_formatfloat) for p in '###0 кг/м' '#0.0' '###%' '##0.0 %; ;  ' '0.00E+00' '#,##0.00' "'x'0\"y\""; do
                        printf '\x00\x00\x00\x00\x00\x80\x9a\x40%s' "$p" >"$d/$(echo "$p" | md5sum | cut -c1-8)"; done ;;
    fuzz_password) printf '5Q555Q<1U5YDUYDV5LXOL>M51U0B5QUVVQMV>1MVYUD5Y1QV<XO:9=5;UYLM>1QBD:;@?' >"$d/stored" ;;
    fuzz_textparsers) for v in 0x7FFFFFFF '$FF' -12 1e308 1,5 '2026-12-10 07:05:09.5' 0000-00-00 23:59:59; do
                        printf '%s' "$v" >"$d/$(echo "$v" | md5sum | cut -c1-8)"; done ;;
    fuzz_pointlists) printf '0; 0\n100; 0\n100; 100\n0; 100\n' >"$d/square"; printf '1,5; 2\n50;50\n' >"$d/comma" ;;
    fuzz_layout) cp "$here/layouts/"*.layout "$here/app/windows/"*.layout "$d/" ;;
    # A flag byte (bit 0: load a range), then an hour file of 15.03.2024 14:00.
    fuzz_inidataset) printf '\x00[Header]\nRecordCount=2\nR0=45366.5868055556\nR1=45366.5868171296\n\n[R0]\nLevel=1834.5\nPump=1\n\n[R1]\nLevel=1835\nPump=0\n' >"$d/sound"
                     printf '\x01[Header]\r\nRecordCount=3\r\nR0=45366,5868055556\r\nR2=45366.59\r\n[R0]\r\nLevel=\xc2\xea\xeb\r\n[R2]\r\nPump=2\r\n' >"$d/cp1251-gap"
                     printf '\x00[Header]\nRecordCount=2147483647\nR0=45366.6\nR1=45366.58\nr1=x\n[header]\nR2=1\n[R1]\nLevel="q"\n[R0]\n' >"$d/unsorted" ;;
    # A flag byte (bit 0: a header line; bits 1-3: the separator), the length
    # of the values, the values separated by "|", then the table.
    fuzz_texttable) printf '\x01\x09A|\xd0\x91 x|\tz\xd0\xa3\xd1\x80\xd0\xbe\xd0\xb2\xd0\xb5\xd0\xbd\xd1\x8c\t\xd0\x9d\xd0\xb0\xd1\x81\xd0\xbe\xd1\x81\t\n1834.5\t1\t\n\t\t\n' >"$d/utf8"
                    printf '\x02\x05;;|\r|\x31;\xc2\xea\xeb;\r\n2;\r\n3' >"$d/cp1251-crlf"
                    printf '\x0b\x00\xef\xbb\xbfa\xc6b\xc6c\n\n' >"$d/bom" ;;
  esac
  echo "$d"
}

memory=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && memory=/dev/shm
scratch=$(mktemp -d "$memory/ordal-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT # a target that stops at a finding leaves its files
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"; findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  seeds=$(seed "$t")
  echo "== $t for $seconds s"
  dict=(); [ -f "$here/fuzz/${t#fuzz_}.dict" ] && dict=(-dict="$here/fuzz/${t#fuzz_}.dict")
  status=0
  # The targets change their working directory: a finding's input goes where
  # the prefix says. Their scratch files go to memory where there is some, as
  # the file tables' targets save (and sync) a file every run.
  (cd "$findings" && TMPDIR="$scratch" "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -malloc_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" "$corpus" "$seeds" \
      >"$findings/log" 2>&1) || status=$?
  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done' "$findings/log" || true
  if [ $status != 0 ] || ls "$findings"/crash-* "$findings"/leak-* "$findings"/timeout-* "$findings"/oom-* >/dev/null 2>&1; then
    echo "$t: finding (exit $status); see $findings/log and the input files there" >&2
    exit 1
  fi
done
