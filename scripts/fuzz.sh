#!/usr/bin/env bash
# Builds a libFuzzer harness in the sanitizer build (build-asan,
# `cmake --preset sanitize`: clang, address and undefined behaviour
# sanitizers, the build whose tests scripts/test.sh runs) and fuzzes it for
# the given number of seconds (default 60), starting from its seed files and
# the corpus kept from earlier runs.
#
#   scripts/fuzz.sh [SECONDS] [libFuzzer options...]
#       the load road: inputs of up to 4 KiB, graphs of up to 40 vertices built
#   scripts/fuzz.sh --deep [SECONDS] [libFuzzer options...]
#       the load road's slower configuration: inputs of up to 64 KiB, graphs
#       of up to 120 vertices built (the largest whose programs the viewer
#       accepts complete), its own corpus; run it on request, for minutes or
#       hours
#   scripts/fuzz.sh --networks [SECONDS] [libFuzzer options...]
#       the network readers: every input through all four languages
#   scripts/fuzz.sh --network sndlib|graphml|gml|dimacs [SECONDS] [options...]
#       one network reader alone, its own corpus; on request
#   scripts/fuzz.sh --demands [SECONDS] [libFuzzer options...]
#       the demand file's reader, resolved against a graph of eight vertices
#
# Further arguments go to libFuzzer (e.g. -jobs=2). A finding stops the run
# with a non-zero status and leaves the input in build-asan/artifacts/;
# replay it with the fuzzer that found it, e.g.
#   build-asan/tests/fuzz/load_road_fuzzer build-asan/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-asan
target=load_road_fuzzer
corpus=corpus
dict=tests/fuzz/gr.dict
seeds=(tests/fuzz/seeds tests/fuzz/regressions)
max_len=4096
# One input may take at most this long: a 40-vertex program takes well under
# a second, a 120-vertex one up to about a minute.
timeout=20
network_seeds() {
    local language
    seeds=()
    for language in "$@"; do
        seeds+=("tests/fuzz/network_seeds/$language")
    done
    dict=tests/fuzz/network.dict
    timeout=10
}
case "${1:-}" in
    --deep)
        shift
        target=load_road_fuzzer_deep
        corpus=corpus-deep
        max_len=65536
        timeout=180
        ;;
    --networks)
        shift
        target=network_readers_fuzzer
        corpus=corpus-networks
        network_seeds sndlib graphml gml dimacs
        ;;
    --network)
        language=${2:?"--network needs a language: sndlib, graphml, gml or dimacs"}
        shift 2
        target=${language}_reader_fuzzer
        corpus=corpus-$language
        network_seeds "$language"
        ;;
    --demands)
        shift
        target=demand_reader_fuzzer
        corpus=corpus-demands
        seeds=(tests/fuzz/demand_seeds)
        dict=
        timeout=10
        ;;
esac

seconds=${1:-60}
shift || true

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
    ${dict:+-dict="$dict"} \
    -max_total_time="$seconds" \
    -max_len="$max_len" \
    -timeout="$timeout" \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" \
    "$@" \
    "$build/$corpus" "${seeds[@]}"
