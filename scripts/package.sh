#!/usr/bin/env bash
# Builds the Debian package quillmere_<version>_<arch>.deb and its debug
# symbols, quillmere-dbgsym_<version>_<arch>.ddeb, into FOLDER (default
# build-release/): a Release build for /usr with warnings as errors, built
# with Debian's hardening flags (dpkg-buildflags) and reproducibly (the time
# of the last commit as SOURCE_DATE_EPOCH, no build paths in the binaries),
# then cpack -G DEB with the dependencies computed by dpkg-shlibdeps. Only
# what the package holds is built, not the tests. Prints the packages.
#   scripts/package.sh [FOLDER]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/${1:-build-release}"
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" "$root/scripts/packaging-packages.txt"

# Every date in the package comes from CHANGELOG.md or from here.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" ||
        SOURCE_DATE_EPOCH="$(date -u -d "$(sed -n 's/^## \[[0-9.]*\] - //p' "$root/CHANGELOG.md" |
            head -n1)" +%s)"
fi
export SOURCE_DATE_EPOCH
mkdir -p "$build"
echo "$SOURCE_DATE_EPOCH" >"$build/SOURCE_DATE_EPOCH" # for a second build to compare

# Debian's flags with every hardening feature; the preprocessor's go with
# the compiler's, as CMake reads no CPPFLAGS. Its own path mapping gives way to
# the one below.
eval "$(DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath" \
    dpkg-buildflags --export=sh)"
# No folder of the build shows in the binaries: paths are recorded relative
# to the build folder (itself "."), as a compiler cache that hashes paths
# below the source folder relative (CCACHE_BASEDIR) hands them to the
# compiler, so a build with the cache and one without give the same
# package. (The compiler tries the last mapping first.)
up="$(realpath --relative-to="$build" "$root")"
map="-ffile-prefix-map=$root/=$up/ -ffile-prefix-map=$build=. -ffile-prefix-map=$build/="
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Precompiled headers only hasten the test builds: the package is compiled
# from its sources alone.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_WERROR=ON \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" \
    -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON \
    "-DCMAKE_C_FLAGS=$CFLAGS $CPPFLAGS $map" "-DCMAKE_CXX_FLAGS=$CXXFLAGS $CPPFLAGS $map" \
    "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS" \
    "-DCMAKE_MODULE_LINKER_FLAGS=$LDFLAGS" >/dev/null
cmake --build "$build" -j"$(nproc)" --target package_contents
rm -f "$build"/quillmere_*.deb "$build"/quillmere-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)
for package in "$build"/quillmere_*.deb "$build"/quillmere-dbgsym_*.ddeb; do
    echo "$package: $(stat -c %s "$package") bytes"
done
