#!/usr/bin/env bash
# Resident memory of the real viewer over repeated loads: opens a 120-vertex
# complete graph (capacities 1 … 100, a solve of a few seconds) LOADS times
# through Ctrl+O and the open dialog, as a user would, and prints the
# resident size (VmRSS) after each load, then the growth from the first load
# to the last.
#
#     xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" \
#         bench/window_growth.sh build-release/platform/tarvessa [LOADS] [--verbose]
#
# --verbose turns the Verbose command on first, so that every load also
# writes its listings to the console. Two copies of the file are opened in
# turn, so that the title tells when each load has ended.
set -euo pipefail

tarvessa=$(realpath "$1")
loads=${2:-20}
verbose=${3:-}

[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run it under xvfb-run)"; exit 2; }
command -v xdotool > /dev/null || { echo "needs xdotool"; exit 2; }

dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2> /dev/null; rm -rf "$dir"' EXIT

# The last statement ends the text: no line end after it.
awk 'BEGIN { srand(7); n = 120; printf "directed = 1;\n%d : ;", n - 1;
             for (u = 0; u < n; u++) for (v = 0; v < n; v++)
                 if (u != v) printf "\n%d -> %d [cap = %d];", u, v, 1 + int(100 * rand()) }' \
    > "$dir/a.gr"
cp "$dir/a.gr" "$dir/b.gr"

# The id of the first visible window whose name matches the regex $1,
# waiting up to $2 seconds.
wait_for_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

rss_mib() {
    awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status"
}

(cd "$dir" && exec "$tarvessa") > "$dir/log" 2>&1 &
pid=$!
main=$(wait_for_window '^Quillmere$' 20) || { echo "no main window"; exit 1; }
sleep 1
echo "start: $(rss_mib) MiB"
if [ "$verbose" = --verbose ]; then
    xdotool windowfocus --sync "$main" key --clearmodifiers ctrl+v
fi

first=
for i in $(seq "$loads"); do
    file=$dir/$([ $((i % 2)) = 1 ] && echo a || echo b).gr
    xdotool windowfocus --sync "$main" key --clearmodifiers ctrl+o
    dialog=$(wait_for_window '^Ouvrir$' 20) || { echo "no open dialog"; exit 1; }
    xdotool windowfocus --sync "$dialog" type --delay 5 "$file"
    sleep 0.3
    xdotool key Return
    wait_for_window "^Quillmere - \\[$file\\]\$" 300 > /dev/null || { echo "load $i did not end"; exit 1; }
    sleep 1
    rss=$(rss_mib)
    first=${first:-$rss}
    echo "load $i: $rss MiB"
done
echo "growth from load 1 to load $loads: $(awk -v a="$first" -v b="$rss" 'BEGIN { printf "%.1f", b - a }') MiB"
