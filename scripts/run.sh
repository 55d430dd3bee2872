#!/usr/bin/env bash
# Sets up, builds and starts the viewer, tarvessa, from examples/ so that its
# open dialog (Ctrl+O) starts among the sample graphs. Also builds varnock,
# the generator (generator/varnock in the build).
#
# The build goes to build/ (or to $QUILLMERE_BUILD_DIR when set).
#
# Without an X display it starts a virtual one (Xvfb) and prints its name, so
# that the program can be driven and watched from another shell, e.g.
#   DISPLAY=:99 xdotool key ctrl+o
#   DISPLAY=:99 import -window root shot.png
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${QUILLMERE_BUILD_DIR:-build}")

scripts/setup.sh

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)" --target tarvessa varnock

if [ -z "${DISPLAY:-}" ]; then
    n=99
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
        n=$((n + 1))
    done
    # -noreset: the readiness check below is a client that leaves at once.
    Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp -noreset > /dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2> /dev/null' EXIT
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdotool getdisplaygeometry > /dev/null 2>&1 && break
        sleep 0.1
    done
    echo "No display: tarvessa runs on the virtual display $DISPLAY."
fi

cd examples
"$build/platform/tarvessa"
