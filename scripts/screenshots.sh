#!/usr/bin/env bash
# Renders Quillmere's windows to PNG files in docs/screenshots/:
# scripts/screenshots.sh [BUILD-FOLDER]
#  - every dialog on its own, headless (Qt's offscreen platform);
#  - with Xvfb and openbox installed, the whole screen as a user sees it
#    (main window, converters beside it, window frames): at 1024x768, and at
#    a scale factor of 2 on 2560x1440 (1280x720 to the program).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-build}"
shots="$root/docs/screenshots"
tool="$root/$folder/bin/quillmere_screenshots"
cmake -S "$root" -B "$root/$folder" -G Ninja >/dev/null
cmake --build "$root/$folder" -j2 --target quillmere_screenshots
mkdir -p "$shots"
quiet() { grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR -e 'support raise' >&2 || true; }
QT_QPA_PLATFORM=offscreen "$tool" "$shots" 2> >(quiet)

if ! command -v xvfb-run >/dev/null || ! command -v openbox >/dev/null; then
    echo "xvfb-run or openbox missing: no whole-screen shots" >&2
    exit 0
fi
# SIZE FILE [VARIABLE=VALUE...]: the tool on a virtual screen of SIZE with a
# window manager.
desktop() {
    local size="$1" file="$2"
    shift 2
    env "$@" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" \
        sh -c 'openbox >/dev/null 2>&1 & sleep 1; "$0" --desktop "$1"; kill $!' \
        "$tool" "$file" 2> >(quiet)
}
desktop 1024x768 "$shots/desktop-1024x768.png"
desktop 2560x1440 "$shots/desktop-scale2.png" QT_SCALE_FACTOR=2
