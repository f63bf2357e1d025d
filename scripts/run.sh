#!/usr/bin/env bash
# Sets up, builds and shows the converters at work: converts everything in
# samples/ into out/samples/ with emsconv and prints what was written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build
bin="$root/build/bin"
out="$root/out/samples"
mkdir -p "$out"

shopt -s nullglob
melodies=("$root"/samples/melodies/*)
pictures=("$root"/samples/pictures/*)

if [ ${#melodies[@]} -gt 0 ]; then
    echo "== emsconv melody --target both -> $out"
    "$bin/emsconv" melody --target both --replace all -o "$out" --log-dir "$out" "${melodies[@]}" || true
fi
if [ ${#pictures[@]} -gt 0 ]; then
    echo "== emsconv picture -> $out"
    "$bin/emsconv" picture -o "$out" --log-dir "$out" "${pictures[@]}" || true
fi

echo
echo "== written to $out"
ls -l "$out"
for f in "$out"/*.em1 "$out"/*.hx1; do
    echo "-- $(basename "$f")"; cat "$f"; echo
done
for log in "$out"/MelodyConverter.log "$out"/PictureConverter.log; do
    [ -f "$log" ] && { echo "-- $(basename "$log")"; cat "$log"; }
done
exit 0
