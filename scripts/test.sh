#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole suite in the normal build
# under a virtual X display (the windowed tests need one); then the suite of
# the libraries without Qt or GL (the load road, the flow program, the
# certificate, the window logic) again under AddressSanitizer and
# UndefinedBehaviorSanitizer, in the clang build of `cmake --preset sanitize`;
# then a minute of fuzzing with that same build, a third each on the load
# road, the network readers and the demand file's reader.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$SECONDS
phase() { echo "== test.sh: $1 ($((SECONDS - start)) s in all)"; }

scripts/setup.sh
phase "packages ready"

jobs=$(nproc)
# A new build directory is made for Ninja, which keeps both cores busy across
# targets; an existing one keeps its generator.
generator() {
    if [ ! -f "$1/CMakeCache.txt" ] && command -v ninja > /dev/null; then
        echo "-GNinja"
    fi
}

# Unity builds: the sources of a target compile as one unit (a few stay
# apart, marked SKIP_UNITY_BUILD_INCLUSION), which parses the headers they
# share (the standard library, GoogleTest, JSON, Qt) once instead of once a
# file; that is most of the compile time. The sanitizer preset does the same.
# Debug information is line tables only (-g1): nothing here reads more, and
# the variables' locations at -O2 cost about a quarter of the compile time.
# The build type's optimisation stays, so the tests run the code users get.
cmake -S . -B build $(generator build) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_BUILD_BENCH=OFF \
    -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j "$jobs"
phase "normal build done"
xvfb-run -a -s "-screen 0 1600x1200x24" \
    ctest --test-dir build --output-on-failure -j "$jobs"
phase "normal tests passed"

cmake --preset sanitize $(generator build-asan)
cmake --build build-asan -j "$jobs"
phase "sanitizer build done"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
phase "sanitizer tests passed"

# A short fuzzing session of the load road, the network readers and the
# demand file's reader (libFuzzer); longer runs:
# scripts/fuzz.sh [--networks|--demands] SECONDS.
scripts/fuzz.sh 20
scripts/fuzz.sh --networks 20
scripts/fuzz.sh --demands 20
phase "fuzzing done"
