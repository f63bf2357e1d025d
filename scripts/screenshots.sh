#!/usr/bin/env bash
# Renders every dialog of Quillmere to a PNG file in docs/screenshots/,
# headless (Qt's offscreen platform): scripts/screenshots.sh [BUILD-FOLDER]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-build}"
cmake -S "$root" -B "$root/$folder" -G Ninja >/dev/null
cmake --build "$root/$folder" -j2 --target quillmere_screenshots
mkdir -p "$root/docs/screenshots"
QT_QPA_PLATFORM=offscreen "$root/$folder/bin/quillmere_screenshots" "$root/docs/screenshots" \
    2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)
