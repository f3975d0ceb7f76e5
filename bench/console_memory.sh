#!/usr/bin/env bash
# Peak memory and parse throughput of the console on large statements:
#   x = [...];            a literal of 10^6 numbers (an 8 MB array)
#   x = zeros(1, 1e7);    an 80 MB array made by a function
# Each runs in a console of its own (suppressed, so the display costs nothing);
# the peak resident size of a console that ran only `x = 1;` is the idle
# footprint subtracted from the others. Throughput is the literal's bytes over
# the time the literal's run took beyond the idle run.
#
#   bench/console_memory.sh [VXHOST]      (default: build/vxhost)
set -euo pipefail
cd "$(dirname "$0")/.."
vxhost=${1:-build/vxhost}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# Peak resident kilobytes and elapsed seconds of one run (best of three).
measure() {
  local best_kb=0 best_s=999999
  for _ in 1 2 3; do
    /usr/bin/time -f "%M %e" -o "$dir/time" "$vxhost" --json "$1" >/dev/null || true
    read -r kb s <"$dir/time"
    best_kb=$kb
    best_s=$(awk -v a="$s" -v b="$best_s" 'BEGIN { print (a < b) ? a : b }')
  done
  echo "$best_kb $best_s"
}

printf 'x = 1;\n' >"$dir/idle.vx"
awk 'BEGIN { srand(1); printf "x = ["; for (i = 0; i < 1000000; i++) printf "%.6f ", rand() * 1000; printf "];\n" }' \
  >"$dir/literal.vx"
printf 'x = zeros(1, 1e7);\n' >"$dir/zeros.vx"

read -r idle_kb idle_s < <(measure "$dir/idle.vx")
read -r lit_kb lit_s < <(measure "$dir/literal.vx")
read -r zero_kb _ < <(measure "$dir/zeros.vx")
bytes=$(stat -c %s "$dir/literal.vx")

awk -v idle="$idle_kb" -v lit="$lit_kb" -v zero="$zero_kb" -v bytes="$bytes" -v ls="$lit_s" -v is="$idle_s" 'BEGIN {
  mb = 1024 * 1024
  printf "idle console:                 %7.1f MB peak\n", idle / 1024
  printf "x = [10^6 numbers];  (8 MB)   %7.1f MB above idle = %5.2f x the array\n", (lit - idle) / 1024, (lit - idle) * 1024 / 8e6
  printf "x = zeros(1,1e7);   (80 MB)   %7.1f MB above idle = %5.2f x the array\n", (zero - idle) / 1024, (zero - idle) * 1024 / 8e7
  t = ls - is; if (t <= 0) t = 0.001
  printf "literal parse throughput:     %7.1f MB/s (%d bytes in %.2f s)\n", bytes / mb / t, bytes, t
}'
