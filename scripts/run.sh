#!/usr/bin/env bash
# Sets up, builds and starts Quillmere.
#   With a display: registers the picture component in the user's registry
#   and starts the desktop program.
#   Without one: says so and converts everything in samples/ into
#   out/samples/ with emsconv instead (the messages decoded), then shows
#   what was written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
# Only what running needs: the programs, the component and the user guide.
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target programs
bin="$root/build/bin"
"$root/scripts/register-component.sh" build

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--samples" ]; then
    exec "$bin/Quillmere"
fi
[ "${1:-}" = "--samples" ] || echo "No display found: converting the samples with emsconv instead."

out="$root/out/samples"
mkdir -p "$out"
shopt -s nullglob
melodies=("$root"/samples/melodies/*)
pictures=("$root"/samples/pictures/*)
messages=("$root"/samples/messages/*)

echo "== emsconv melody --target both -> $out"
"$bin/emsconv" melody --target both --replace all -o "$out" --log-dir "$out" "${melodies[@]}" || true
echo "== emsconv picture -> $out"
"$bin/emsconv" picture -o "$out" --log-dir "$out" "${pictures[@]}" || true
echo "== emsconv decode -> $out"
"$bin/emsconv" decode --replace all --png-scale 4 -o "$out" "${messages[@]}" || true

echo
echo "== written to $out"
ls -l "$out"
for f in "$out"/*.em1 "$out"/*.hx1; do
    echo "-- $(basename "$f")"; cat "$f"; echo
done
for log in "$out"/MelodyConverter.log "$out"/PictureConverter.log; do
    [ -f "$log" ] && { echo "-- $(basename "$log")"; tr -d '\r' < "$log"; }
done
exit 0
