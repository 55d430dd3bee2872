#!/usr/bin/env bash
# Builds the libFuzzer harness of the load road in the sanitizer build
# (build-asan, `cmake --preset sanitize`: clang, address and undefined
# behaviour sanitizers, the build whose tests scripts/test.sh runs) and fuzzes
# it for the given number of seconds (default 60), starting from the seed
# files and the corpus kept from earlier runs.
#
#   scripts/fuzz.sh [SECONDS] [libFuzzer options...]
#       inputs of up to 4 KiB, graphs of up to 40 vertices built
#   scripts/fuzz.sh --deep [SECONDS] [libFuzzer options...]
#       the slower configuration: inputs of up to 64 KiB, graphs of up to 120
#       vertices built (the largest whose programs the viewer accepts
#       complete), its own corpus; run it on request, for minutes or hours
#
# Further arguments go to libFuzzer (e.g. -jobs=2). A finding stops the run
# with a non-zero status and leaves the input in build-asan/artifacts/;
# replay it with
#   build-asan/tests/fuzz/load_road_fuzzer build-asan/artifacts/<file>
# (load_road_fuzzer_deep for a finding of --deep).
set -euo pipefail
cd "$(dirname "$0")/.."

target=load_road_fuzzer
corpus=corpus
max_len=4096
# One input may take at most this long: a 40-vertex program takes well under
# a second, a 120-vertex one up to about a minute.
timeout=20
if [ "${1:-}" = "--deep" ]; then
    shift
    target=load_road_fuzzer_deep
    corpus=corpus-deep
    max_len=65536
    timeout=180
fi

seconds=${1:-60}
shift || true
build=build-asan

# A new build directory is made for Ninja when it is installed.
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja > /dev/null; then
    generator=(-GNinja)
fi
cmake --preset sanitize "${generator[@]}" > /dev/null
cmake --build "$build" -j "$(nproc)" --target "$target"

mkdir -p "$build/$corpus" "$build/artifacts"
# -rss_limit_mb: the same bound as a load of the viewer.
"$build/tests/fuzz/$target" \
    -dict=tests/fuzz/gr.dict \
    -max_total_time="$seconds" \
    -max_len="$max_len" \
    -timeout="$timeout" \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" \
    "$@" \
    "$build/$corpus" tests/fuzz/seeds tests/fuzz/regressions
