#!/usr/bin/env bash
# Builds the libFuzzer harness of the load road (clang, address and undefined
# behaviour sanitizers) and fuzzes it for the given number of seconds
# (default 60), starting from the seed files and the corpus kept from earlier
# runs. Further arguments go to libFuzzer (e.g. -max_len=16384 -timeout=5). A finding stops the run with a non-zero status and leaves the input in
# build-fuzz/artifacts/; replay it with
#   build-fuzz/tests/fuzz/load_road_fuzzer build-fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=build-fuzz

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DQUILLMERE_FUZZ=ON -DQUILLMERE_BUILD_GUI=OFF -DQUILLMERE_BUILD_BENCH=OFF
fi
cmake --build "$build" -j "$(nproc)" --target load_road_fuzzer

mkdir -p "$build/corpus" "$build/artifacts"
# -timeout: one input may take at most 20 s (a 40-vertex program takes well
# under a second); -rss_limit_mb: the same bound as a load of the viewer.
"$build/tests/fuzz/load_road_fuzzer" \
    -dict=tests/fuzz/gr.dict \
    -max_total_time="$seconds" \
    -max_len=4096 \
    -timeout=20 \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" \
    "$@" \
    "$build/corpus" tests/fuzz/seeds tests/fuzz/regressions
