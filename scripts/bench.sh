#!/bin/bash
# Builds the wizard and measures it against yardsticks run in the same prefix
# (bench/Bench.cpp): the copy stage against xcopy on the same trees, start-up
# against a minimal dialog program, peak memory and the executable's size; and
# the kit packed into one setup program: packing, unpacking against the copy
# stage, and the packed size against zip -9's. Kits of 1,000, 10,000 and
# 70,000 files unless sizes are given. Writes the table, the machine it was
# measured on and what makes up the executable to bench/RESULTS.md, and the
# table with the machine into README.md. The whole run takes about three
# quarters of an hour on two cores, most of it the largest kit.
#   RUNS    runs of each copy and unpacking, the median counts (default 4:
#           the four take turns, and each goes first once)
#   STARTS  starts of each program, the median counts (default 30)
# With "--against OTHER.exe" first (a Unix path), it compares the copy stage
# with that other build of the wizard, run after run in turns, and only
# prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."
against=
if [ "${1:-}" = --against ]; then
  against=$(realpath "$2")
  shift 2
fi
sizes=("$@")
((${#sizes[@]})) || sizes=(1000 10000 70000)
scripts/setup.sh
. scripts/wine-env.sh
fw_env_start

results=bench/RESULTS.md
readme_start='<!-- Benchmark results: scripts/bench.sh writes from here -->'
readme_end='<!-- to here -->'
table=$(mktemp)
trap 'rm -f "$table" "$table.readme"; fw_env_stop' EXIT

if [ -n "$against" ]; then
  wine "$BUILD_DIR/fernwick_bench.exe" --against "$(winepath -w "$against")" --runs "${RUNS:-4}" \
       --out "$(winepath -w "$table")" "${sizes[@]}"
  echo
  cat "$table"
  exit 0
fi

wine "$BUILD_DIR/fernwick_bench.exe" --runs "${RUNS:-4}" --starts "${STARTS:-30}" \
     --out "$(winepath -w "$table")" "${sizes[@]}"

cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
measured="Measured on $(date -u '+%Y-%m-%d %H:%M UTC') by \`scripts/bench.sh ${sizes[*]}\`:
$(nproc) cores, ${cpu:-unknown CPU}, $(wine --version), Linux $(uname -r)."
{
  echo "# Benchmark results"
  echo
  echo "$measured"
  echo
  cat "$table"
  echo
  echo "## What makes up fernwick.exe"
  echo
  echo "Bytes per origin and section, from the linker's map, before the file's"
  echo "512-byte alignment:"
  echo
  awk -f bench/exe-size.awk "$BUILD_DIR/fernwick.map"
} >"$results"

# The README shows the same table between its two marker lines.
{
  echo "$measured"
  echo
  cat "$table"
} >"$table.readme"
awk -v start="$readme_start" -v end="$readme_end" '
  NR == FNR { block = block $0 "\n"; next }
  $0 == start { print; printf "%s", block; skipping = 1; next }
  $0 == end { skipping = 0 }
  !skipping' "$table.readme" README.md >README.md.new
mv README.md.new README.md
echo
cat "$results"
