#!/usr/bin/env bash
# Measures Quillmere's start-up to the shown main dialog, five runs each:
#  - the start-up probe (same steps as Quillmere, timed to the first paint of
#    the main dialog) on the offscreen platform;
#  - with Xvfb installed: the probe on a virtual X display, and Quillmere
#    itself, timed until its main window is mapped and viewable.
# Usage: app/tools/measure-startup.sh [BUILD-FOLDER]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$root/${1:-build}/bin"
now() { date +%s%N; }

echo "probe, offscreen (ms):"
for _ in 1 2 3 4 5; do
    QT_QPA_PLATFORM=offscreen "$bin/quillmere_startup_probe" "$(now)" 2>/dev/null
done

command -v Xvfb >/dev/null && command -v xwininfo >/dev/null || exit 0
display=":$((90 + RANDOM % 100))"
log="$(mktemp)"
Xvfb "$display" -noreset -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$log"' EXIT
sleep 1
export DISPLAY="$display"

echo "probe, Xvfb (ms):"
for _ in 1 2 3 4 5; do
    QT_QPA_PLATFORM=xcb "$bin/quillmere_startup_probe" "$(now)" 2>/dev/null
done

echo "Quillmere, Xvfb, until the main window is viewable (ms):"
for _ in 1 2 3 4 5; do
    start=$(now)
    QT_QPA_PLATFORM=xcb "$bin/Quillmere" 2>"$log" &
    app=$!
    until xwininfo -name "Corvane EMS Converter 1.1" 2>/dev/null | grep -q IsViewable; do :; done
    echo $(( ($(now) - start) / 1000000 ))
    kill "$app"
    wait "$app" 2>/dev/null || true
done
