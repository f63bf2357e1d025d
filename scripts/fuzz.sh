#!/usr/bin/env bash
# Builds the fuzz targets with clang (build folder build-fuzz) and runs each
# for a while, as many at once as there are processors:
#   scripts/fuzz.sh [SECONDS] [TARGET...]   (default 30 seconds, every target;
#   a target is a name such as rtx or picture, as fuzz/Targets.cmake lists them)
# QUILLMERE_FUZZ_BUILD names another build folder configured with
# -DQUILLMERE_FUZZ=ON, whose fuzz targets are then built and run.
# New inputs go to BUILD/corpus/TARGET, seeded from fuzz/corpus/TARGET
# and fuzz/regressions/TARGET (inputs that once broke a target);
# an input that breaks a target is kept in BUILD/artifacts/TARGET/ and
# makes the script fail. A summary line per target gives the executions per
# second and the coverage reached (cov: edges, ft: features).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
shift || true

build="${QUILLMERE_FUZZ_BUILD:-$root/build-fuzz}"
if [ -z "${QUILLMERE_FUZZ_BUILD:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DQUILLMERE_WERROR=ON -DQUILLMERE_FUZZ=ON -DQUILLMERE_BUILD_APP=OFF -DQUILLMERE_BUILD_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target fuzzers

# The targets, as the configure step lists them.
mapfile -t all <"$build/fuzz-targets.txt"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for target in "${targets[@]}"; do
    [[ " ${all[*]} " == *" $target "* ]] || { echo "No fuzz target $target (${all[*]})" >&2; exit 2; }
done

# fuzz TARGET: runs one target, then prints its summary line; fails when it
# found an input that breaks it.
fuzz() {
    local target="$1" corpus="$build/corpus/$1" artifacts="$build/artifacts/$1"
    local log="$build/logs/$1.log" result=ok status=0
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    local seeds=("$root/fuzz/corpus/$target")
    [ -d "$root/fuzz/regressions/$target" ] && seeds+=("$root/fuzz/regressions/$target")
    local dict=()
    [ -f "$root/fuzz/$target.dict" ] && dict=(-dict="$root/fuzz/$target.dict")
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" \
        "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        result="FAILED (see $log and $artifacts)"
        status=1
    fi
    local last runs
    last="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
    runs="$(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}' || true)"
    echo "fuzz_$target: $result; ${runs:-?} runs in ${seconds}s; last: ${last:-none}"
    return $status
}

status=0
running=()
for target in "${targets[@]}"; do
    if [ ${#running[@]} -ge "$(nproc)" ]; then
        wait "${running[0]}" || status=1
        running=("${running[@]:1}")
    fi
    fuzz "$target" &
    running+=($!)
done
for pid in "${running[@]}"; do
    wait "$pid" || status=1
done
exit $status
