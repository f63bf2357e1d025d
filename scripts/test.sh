#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: a plain build, a build
# under AddressSanitizer and UndefinedBehaviorSanitizer (which also makes
# the fuzz targets), the concurrency tests under ThreadSanitizer, and every
# fuzz target for 30 seconds.
# The 100,000-file scale tests (label scale) run in the plain build only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

# Where ccache is installed, every build of the run goes through it, so a
# second run compiles only what changed.
# (Precompiled headers are cached only when ccache may overlook their
# macros and times.)
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
    export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi

# Each phase says when it starts, in seconds since the run began.
phase() { echo "== $1 (at ${SECONDS}s)"; }

phase "plain build"
# Line tables are debugging information enough for a test run (a failing
# test's backtrace names its lines), and much cheaper to make than the rest.
"$root/scripts/build.sh" build -DQUILLMERE_WERROR=ON \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

phase "AddressSanitizer + UndefinedBehaviorSanitizer build, with the fuzz targets"
# clang, so that the same build gives the fuzz targets (libFuzzer). As
# sanitizer and fuzzing builds usually are: -O1 and line tables only, which
# is all a sanitizer's report needs; assertions on (no NDEBUG).
sanitized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1"
           "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DQUILLMERE_BUILD_BENCH=OFF)
"$root/scripts/build.sh" build-asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLMERE_WERROR=ON -DQUILLMERE_SANITIZE=ON -DQUILLMERE_FUZZ=ON "${sanitized[@]}"
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$(nproc)" -LE scale)

phase "ThreadSanitizer build: the concurrency tests"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DQUILLMERE_WERROR=ON -DQUILLMERE_TSAN=ON \
    -DQUILLMERE_BUILD_APP=OFF "${sanitized[@]}" >/dev/null
cmake --build "$root/build-tsan" -j"$(nproc)" --target hardening_concurrency_tests pellumo_tests
(cd "$root/build-tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --output-on-failure -R '^Concurrency\.|^Component\.OverlappingConvertCallsTakeTurns$')

phase "fuzz targets, 30 seconds each"
QUILLMERE_FUZZ_BUILD="$root/build-asan" "$root/scripts/fuzz.sh" 30
phase "done"
