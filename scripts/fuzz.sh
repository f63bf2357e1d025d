#!/usr/bin/env bash
# Builds the fuzz targets with clang (build folder build-fuzz) and runs each
# for a while: scripts/fuzz.sh [SECONDS] [TARGET...]   (default 30 seconds,
# every target; a target is a name such as rtx or picture).
# New inputs go to build-fuzz/corpus/TARGET, seeded from fuzz/corpus/TARGET
# and fuzz/regressions/TARGET (inputs that once broke a target);
# an input that breaks a target is kept in build-fuzz/artifacts/TARGET/ and
# makes the script fail. A summary line per target gives the executions per
# second and the coverage reached (cov: edges, ft: features).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(rtx picture image decode registry_file registration_script bstr)

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLMERE_WERROR=ON -DQUILLMERE_FUZZ=ON -DQUILLMERE_BUILD_APP=OFF -DQUILLMERE_BUILD_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    seeds=("$root/fuzz/corpus/$target")
    [ -d "$root/fuzz/regressions/$target" ] && seeds+=("$root/fuzz/regressions/$target")
    dict=()
    [ -f "$root/fuzz/$target.dict" ] && dict=(-dict="$root/fuzz/$target.dict")
    if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" \
        "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        result="ok"
    else
        result="FAILED (see $log and $artifacts)"
        status=1
    fi
    last="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
    runs="$(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}' || true)"
    echo "fuzz_$target: $result; ${runs:-?} runs in ${seconds}s; last: ${last:-none}"
done
exit $status
