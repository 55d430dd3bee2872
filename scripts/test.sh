#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build under a virtual X
# display (the windowed tests need one), then the whole suite again built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then a minute of fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
xvfb-run -a -s "-screen 0 1600x1200x24" \
    ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON -DQUILLMERE_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    xvfb-run -a -s "-screen 0 1600x1200x24" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# A short fuzzing session of the load road (libFuzzer, clang); longer runs:
# scripts/fuzz.sh SECONDS.
scripts/fuzz.sh 60
