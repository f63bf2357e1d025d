#!/usr/bin/env bash
# Checks the Debian package made by scripts/package.sh as a distribution
# would and as its users meet it. Needs root, on a machine where the package
# may be installed and removed:
#   1. lintian -EvIL +pedantic finds no error and no warning, and
#      hardening-check finds every protection in every ELF file;
#   2. apt-get installs it (with an environment that names another machine
#      registry, which must not matter) and installs it again over itself;
#      the machine's registry is the package's own file;
#   3. the desktop entry and the metainfo validate, the icons and manual
#      pages are there, and emsconv's bash completion completes;
#   4. an unprivileged user converts samples/ with the installed emsconv, the
#      logs landing in that user's ~/.local/state/quillmere/;
#   5. that user's installed Quillmere, started headless (offscreen, driven
#      by tests/package/PictureDriver.cpp), converts a picture through the
#      machine's registration alone, with no registry of the user's own;
#   6. root's conversions too keep their logs out of the program folder;
#   7. apt-get remove leaves nothing under /usr, even after an administrator
#      registered the component again; purge leaves nothing of the package;
#   8. a second build, from a copy of the sources in another folder, gives
#      the same packages byte for byte.
# The package is purged again whatever happens.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-release"
debs=("$build"/quillmere_*.deb)
deb="${debs[0]}"
ddebs=("$build"/quillmere-dbgsym_*.ddeb)
[ -f "$deb" ] && [ -f "${ddebs[0]}" ] || { echo "check-package: run scripts/package.sh first" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive

user=quillmere-check
created_user=""
work="$(mktemp -d)"
chmod 755 "$work"
cleanup() {
    if dpkg-query -W quillmere >/dev/null 2>&1; then
        apt-get purge -y quillmere >/dev/null || true
    fi
    rm -rf "$work"
    [ -z "$created_user" ] || userdel -r "$user" 2>/dev/null || true
}
trap cleanup EXIT
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
pass() { echo "check-package: ok: $*"; }

if ! id "$user" >/dev/null 2>&1; then
    useradd --create-home --user-group --shell /bin/bash "$user"
    created_user=yes
fi
home="$(getent passwd "$user" | cut -d: -f6)"
as_user() {
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "$@"
}

echo "== lintian"
cp "$deb" "${ddebs[0]}" "$work/"
for package in "$work"/quillmere_*.deb "$work"/quillmere-dbgsym_*.ddeb; do
    as_user lintian -EvIL +pedantic --tag-display-limit 0 "$package" | tee -a "$work/lintian.txt" || true
done
echo "lintian: $(grep -c '^E:' "$work/lintian.txt") errors, $(grep -c '^W:' "$work/lintian.txt") warnings," \
    "$(grep -c '^I:' "$work/lintian.txt") notes, $(grep -c '^[PX]:' "$work/lintian.txt") pedantic" \
    "or experimental findings"
! grep -q '^[EW]:' "$work/lintian.txt" || fail "lintian reports errors or warnings"
pass "lintian"

echo "== hardening-check"
# Debian 12's C library start files carry no control-flow marks, so no
# program linked there has them (Debian's own neither): that check is left out.
mkdir "$work/contents"
dpkg-deb -x "$deb" "$work/contents"
elves=()
while IFS= read -r -d '' file; do
    [ "$(head -c4 "$file" | od -An -tx1 | tr -d ' ')" != 7f454c46 ] || elves+=("$file")
done < <(find "$work/contents" -type f -print0)
[ ${#elves[@]} -gt 0 ] || fail "no ELF file in the package"
hardening-check --nocfprotection "${elves[@]}" | sed "s|$work/contents||" ||
    fail "hardening-check: a protection is missing"
pass "hardening-check: ${#elves[@]} ELF files"

echo "== install $(basename "$deb") ($(stat -c %s "$deb") bytes)"
env QUILLMERE_SYSTEM_REGISTRY="$work/elsewhere.reg" QUILLMERE_REGISTRY="$work/elsewhere.reg" \
    apt-get install -y "$deb" >/dev/null
[ ! -e "$work/elsewhere.reg" ] || fail "the installation wrote the registry named by the environment"
dpkg -i "$deb" >/dev/null || fail "installing the package again over itself"
version="$(dpkg-deb -f "$deb" Version)"
folder=/usr/lib/quillmere
grep -q "^@=\"$folder/libPellumo.so\"" "$folder/registry.reg" ||
    fail "the machine's registry does not name $folder/libPellumo.so"
[ "$(dpkg -S "$folder/registry.reg" | cut -d: -f1)" = quillmere ] || fail "the package does not own the registry"
extra="$(LC_ALL=C comm -23 <(find "$folder" | LC_ALL=C sort) <(dpkg -L quillmere | LC_ALL=C sort))"
[ -z "$extra" ] || fail "the program folder holds files of no package: $extra"
pass "installed; the component is registered in the package's $folder/registry.reg"

echo "== desktop entry, metainfo, icons, manual pages, completion"
installed="$(dpkg -L quillmere)"
desktop="$(grep '^/usr/share/applications/.*\.desktop$' <<<"$installed")"
metainfo="$(grep '^/usr/share/metainfo/.*\.metainfo\.xml$' <<<"$installed")"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
for icon in 48x48/apps/.*\\.png 128x128/apps/.*\\.png 256x256/apps/.*\\.png scalable/apps/.*\\.svg; do
    grep -q "^/usr/share/icons/hicolor/$icon\$" <<<"$installed" || fail "no icon $icon"
done
for page in emsconv.1.gz quillmere.1.gz; do
    grep -q "^/usr/share/man/man1/$page\$" <<<"$installed" || fail "no manual page $page"
done
completions() { # the words bash offers after the command line "$1"
    bash -c 'source /usr/share/bash-completion/bash_completion
        COMP_LINE="$1"; COMP_POINT=${#COMP_LINE}
        read -ra COMP_WORDS <<<"$COMP_LINE"; [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        __load_completion emsconv
        _emsconv emsconv "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        echo "${COMPREPLY[*]}"' completions "$1"
}
[ "$(completions "emsconv mel")" = "melody" ] || fail "completion of a command"
[ "$(completions "emsconv melody --ta")" = "--target" ] || fail "completion of an option"
[ "$(completions "emsconv melody --target ")" = "1 2 both" ] || fail "completion of a value"
(cd "$root/samples/pictures" && [ "$(completions "emsconv picture operator_logo_w")" = \
    "operator_logo_with_header.ota" ]) || fail "completion of a file name"
pass "desktop entry, metainfo, icons, manual pages and completion"

echo "== an unprivileged user"
cmake --build "$build" --target quillmere_picture_driver >/dev/null
driver="$build/bin/libquillmere_picture_driver.so"
rm -rf "$home/.local"
cp -r "$root/samples" "$driver" "$work/"
mkdir "$work/out" "$work/desktop"
chown -R "$user:" "$work/samples" "$work/out" "$work/desktop" "$work/$(basename "$driver")"
[ "$(as_user emsconv --version)" = "emsconv $version" ] || fail "emsconv --version"
[ "$(as_user quillmere --version)" = "Quillmere $version" ] || fail "quillmere --version"
status=0
as_user emsconv melody --target both --replace all -o "$work/out" "$work"/samples/melodies/* \
    2>"$work/melody.txt" || status=$?
[ "$status" -le 1 ] || fail "emsconv melody: status $status"
status=0
as_user emsconv picture -o "$work/out" "$work"/samples/pictures/* 2>"$work/picture.txt" || status=$?
[ "$status" -le 1 ] || fail "emsconv picture: status $status"
state="$home/.local/state/quillmere"
[ -s "$work/out/morning.em1" ] && [ -s "$work/out/morning.hx2" ] && [ -s "$work/out/operator_logo.lgo" ] ||
    fail "emsconv wrote no output: $(ls "$work/out")"
grep -q "Converting: $work/samples/melodies/morning.txt" "$state/MelodyConverter.log" ||
    fail "no melody log in $state"
grep -q "operator_logo.txt" "$state/PictureConverter.log" || fail "no picture log in $state"
pass "emsconv converted $(ls "$work/out" | wc -l) files; logs in $state"

as_user env QT_QPA_PLATFORM=offscreen LD_PRELOAD="$work/$(basename "$driver")" \
    QUILLMERE_DRIVE_INPUT="$work/samples/pictures/picture_message.txt" \
    QUILLMERE_DRIVE_OUTPUT="$work/desktop" timeout 60 quillmere >"$work/desktop.txt" 2>&1 ||
    fail "quillmere: $(cat "$work/desktop.txt")"
grep -q "Conversion completed!" "$work/desktop.txt" || fail "quillmere: $(cat "$work/desktop.txt")"
! grep -q "Internal error" "$work/desktop.txt" || fail "quillmere: $(cat "$work/desktop.txt")"
[ -s "$work/desktop/picture_message.lgo" ] || fail "quillmere wrote no picture"
[ ! -e "$home/.local/share/quillmere/registry.reg" ] || fail "the user has a registry of their own"
grep -q "picture_message.txt" "$state/PictureConverter.log" || fail "no picture log of quillmere"
pass "quillmere converted a picture through the machine's registration"

echo "== root"
mkdir -p "$work/root"
env -u XDG_STATE_HOME HOME="$work/root" emsconv picture -o "$work/root" "$root/samples/pictures/operator_logo.txt" \
    2>/dev/null
[ -s "$work/root/.local/state/quillmere/PictureConverter.log" ] || fail "root's log is not in its state folder"
pass "root's log went to its state folder"
leftovers="$(find "$folder" -name '*.log')"
[ -z "$leftovers" ] || fail "logs in the program folder: $leftovers"

echo "== remove and purge"
# An administrator registers the component again: the lock this leaves
# belongs to no package.
env -i PATH=/usr/bin:/bin "$folder/regsvr" --system "$folder/libPellumo.so" >/dev/null
apt-get remove -y quillmere >/dev/null
leftovers() {
    find /usr /etc /var /opt \( -iname '*quillmere*' -o -name '*emsconv*' -o -name '*Pellumo*' \) \
        -print 2>/dev/null || true
}
left="$(leftovers)"
[ -z "$(grep '^/usr' <<<"$left")" ] || fail "left under /usr: $left"
pass "removed; nothing left under /usr"
apt-get purge -y quillmere >/dev/null
! dpkg-query -W quillmere >/dev/null 2>&1 || fail "dpkg still knows quillmere after purging"
left="$(leftovers)"
[ -z "$left" ] || fail "left after purging: $left"
pass "purged; nothing of the package left"

echo "== reproducible: a second build in another folder"
copy="$root/build-repro/quillmere"
rm -rf "$copy" && mkdir -p "$copy"
# The sources as they are, committed or not, without the build folders;
# built at the time the first build was.
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        (cd "$root" && tar --null -T - --ignore-failed-read -c 2>/dev/null) | tar -x -C "$copy"
else
    (cd "$root" && tar --exclude='./build*' --exclude=./out -c .) | tar -x -C "$copy"
fi
SOURCE_DATE_EPOCH="$(cat "$build/SOURCE_DATE_EPOCH")" "$copy/scripts/package.sh" >/dev/null
for package in "$deb" "${ddebs[0]}"; do
    cmp "$package" "$copy/build-release/$(basename "$package")" ||
        fail "$(basename "$package") differs when built in $copy"
done
pass "$(basename "$deb") and $(basename "${ddebs[0]}") are the same, byte for byte, built in $copy"
