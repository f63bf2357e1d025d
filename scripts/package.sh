#!/usr/bin/env bash
# Builds the Debian package quillmere_<version>_<arch>.deb: a Release build
# for /usr with warnings as errors in build-release/ (the tests are built
# too, so they compile at -O3 as well), then cpack -G DEB with the
# dependencies computed by dpkg-shlibdeps. Prints the package and its size.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" "$root/scripts/packaging-packages.txt"
"$root/scripts/build.sh" build-release -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_WERROR=ON \
    -DCMAKE_INSTALL_PREFIX=/usr
rm -f "$root"/build-release/quillmere_*.deb
(cd "$root/build-release" && cpack -G DEB >/dev/null)
for deb in "$root"/build-release/quillmere_*.deb; do
    echo "$deb: $(stat -c %s "$deb") bytes"
done
