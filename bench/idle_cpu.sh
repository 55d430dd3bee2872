#!/usr/bin/env bash
# Processor time that the real viewer takes while idle with a graph on show:
# starts it with FILE.gr on its command line, waits until the load has ended
# and the first frames are drawn, then reads its user and system time from
# /proc/<pid>/stat over SECONDS seconds and prints it as a share of one core.
#
#     xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" \
#         bench/idle_cpu.sh build-release/platform/tarvessa [FILE.gr] [SECONDS]
#
# FILE.gr defaults to examples/grid.gr, SECONDS to 10. Exits 1 when the share
# is above 2 %.
set -euo pipefail

tarvessa=$(realpath "$1")
file=$(realpath "${2:-$(dirname "$0")/../examples/grid.gr}")
seconds=${3:-10}

[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run it under xvfb-run)"; exit 2; }
command -v xdotool > /dev/null || { echo "needs xdotool"; exit 2; }

"$tarvessa" "$file" > /dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2> /dev/null' EXIT

deadline=$((SECONDS + 120))
until xdotool search --onlyvisible --name "^Quillmere - \\[$file\\]\$" > /dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || { echo "the load did not end"; exit 1; }
    sleep 0.2
done
sleep 2

# Fields 14 and 15 of /proc/<pid>/stat: user and system time in clock ticks
# (the name in field 2 has no spaces here).
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
share=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
echo "idle with $(basename "$file") on show: $share % of a core over $seconds s ($((after - before)) ticks of 1/$hz s)"
awk -v p="$share" 'BEGIN { exit !(p <= 2) }'
