#!/usr/bin/env bash
# Time and peak memory of emsconv converting a ~50 MB RTX file for both
# targets: peak_memory.sh [BUILD_FOLDER] (default: build). Needs /usr/bin/time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="${1:-$root/build}/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$bin/melody_bench" --write-rtx "$work/large.txt"
size=$(stat -c %s "$work/large.txt")
/usr/bin/time -v -o "$work/time.txt" \
    "$bin/emsconv" melody --target both --replace all -o "$work" --log-dir "$work" \
    "$work/large.txt" 2>/dev/null
elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
peak_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
echo "input:       $size bytes ($((size / 1048576)) MB)"
echo "elapsed:     $elapsed"
echo "peak RSS:    $((peak_kb / 1024)) MB"
echo "limit:       $(((4 * size) / 1048576 + 50)) MB (4 x file size + 50 MB)"
