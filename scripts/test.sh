#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: a plain build, a build
# under AddressSanitizer and UndefinedBehaviorSanitizer, the concurrency
# tests under ThreadSanitizer, and every fuzz target for 30 seconds.
# The 100,000-file scale tests (label scale) run in the plain build only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

echo "== plain build"
"$root/scripts/build.sh" build -DQUILLMERE_WERROR=ON
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
"$root/scripts/build.sh" build-asan -DQUILLMERE_WERROR=ON -DQUILLMERE_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$(nproc)" -LE scale)

echo "== ThreadSanitizer build: the concurrency tests"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DQUILLMERE_WERROR=ON -DQUILLMERE_TSAN=ON \
    -DQUILLMERE_BUILD_APP=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-tsan" -j"$(nproc)" --target hardening_concurrency_tests pellumo_tests
(cd "$root/build-tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --output-on-failure -R '^Concurrency\.|^Component\.OverlappingConvertCallsTakeTurns$')

echo "== fuzz targets, 30 seconds each"
"$root/scripts/fuzz.sh" 30
