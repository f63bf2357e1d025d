#!/usr/bin/env bash
# Registers the built logo converter component (libPellumo.so) in the user's
# registry, so that the desktop program can create it:
#   scripts/register-component.sh [BUILD_FOLDER]     (default: build)
# The registry is the file named by QUILLMERE_REGISTRY, by default
# ~/.local/share/quillmere/registry.reg (or under $XDG_DATA_HOME).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-build}"
case "$folder" in
    /*) bin="$folder/bin" ;;
    *) bin="$root/$folder/bin" ;;
esac
if [ ! -x "$bin/regsvr" ] || [ ! -f "$bin/libPellumo.so" ]; then
    echo "register-component: build first: $bin/regsvr and $bin/libPellumo.so are needed" >&2
    exit 1
fi
"$bin/regsvr" "$bin/libPellumo.so"
