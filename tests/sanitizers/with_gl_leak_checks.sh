#!/bin/sh
# Runs a test of the windowed program built with the sanitizers so that its
# leak checks report our leaks and no artefact of the system's libraries:
#
#   with_gl_leak_checks.sh DRI_DRIVER COMMAND [ARGS...]
#
# Mesa unloads its DRI driver (DRI_DRIVER, e.g. swrast_dri.so) when the
# display closes at exit; blocks that only the driver's own data pointed to
# then look leaked, with allocation stacks that cannot be walked (the driver
# has no frame pointers and is gone by the time of the report), so no
# suppression could name them. Preloading the driver keeps it mapped until
# the end and those blocks reachable; the sanitizer runtime is told to accept
# a library loaded before it. The leaks that remain in third-party code are
# suppressed by lsan_suppressions.txt beside this script.
set -eu
dri=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
export LD_PRELOAD="${LD_PRELOAD:+$LD_PRELOAD }$dri"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/lsan_suppressions.txt"
exec "$@"
