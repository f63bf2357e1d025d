#!/usr/bin/env bash
# Checks the Debian package made by scripts/package.sh as its users meet it.
# Needs root, on a machine where the package may be installed and removed:
#   1. apt-get installs build-release/quillmere_*.deb;
#   2. the desktop entry and the metainfo validate, and emsconv's bash
#      completion completes;
#   3. an unprivileged user converts samples/ with the installed emsconv, the
#      logs landing in that user's ~/.local/state/quillmere/;
#   4. that user's installed Quillmere, started headless (offscreen, driven
#      by tests/package/PictureDriver.cpp), converts a picture through the
#      machine's registration alone, with no registry of the user's own;
#   5. root's conversions too keep their logs out of the program folder;
#   6. apt-get remove leaves nothing of the package under /usr.
# Ends with lintian's findings on the package. The package is purged again
# whatever happens.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
debs=("$root"/build-release/quillmere_*.deb)
deb="${debs[0]}"
driver="$root/build-release/bin/libquillmere_picture_driver.so"
[ -f "$deb" ] && [ -f "$driver" ] || { echo "check-package: run scripts/package.sh first" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive

user=quillmere-check
created_user=""
work="$(mktemp -d)"
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

echo "== install $(basename "$deb") ($(stat -c %s "$deb") bytes)"
apt-get install -y "$deb" >/dev/null
version="$(dpkg-deb -f "$deb" Version)"
folder=/usr/lib/quillmere
grep -q "^@=\"$folder/libPellumo.so\"" "$folder/registry.reg" ||
    fail "the machine's registry does not name $folder/libPellumo.so"
pass "installed; the component is registered in $folder/registry.reg"

echo "== desktop entry, metainfo, completion, manual pages"
installed="$(dpkg -L quillmere)"
desktop="$(grep '^/usr/share/applications/.*\.desktop$' <<<"$installed")"
metainfo="$(grep '^/usr/share/metainfo/.*\.metainfo\.xml$' <<<"$installed")"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
for size in 48x48 128x128 256x256; do
    grep -q "^/usr/share/icons/hicolor/$size/apps/" <<<"$installed" || fail "no $size icon"
done
contents="$(dpkg-deb -c "$deb")"
for page in emsconv.1.gz quillmere.1.gz; do
    grep -q "/usr/share/man/man1/$page\$" <<<"$contents" || fail "no manual page $page"
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
if ! id "$user" >/dev/null 2>&1; then
    useradd --create-home --user-group --shell /bin/bash "$user"
    created_user=yes
fi
home="$(getent passwd "$user" | cut -d: -f6)"
rm -rf "$home/.local"
cp -r "$root/samples" "$driver" "$work/"
mkdir "$work/out" "$work/desktop"
chown -R "$user:" "$work"
as_user() {
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "$@"
}
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

echo "== remove"
apt-get remove -y quillmere >/dev/null
leftovers="$(find /usr \( -iname '*quillmere*' -o -name '*emsconv*' -o -name '*Pellumo*' \) -print)"
[ -z "$leftovers" ] || fail "left under /usr: $leftovers"
pass "removed; nothing left under /usr"

echo "== lintian"
cp "$deb" "$work/"
as_user lintian --tag-display-limit 0 "$work/$(basename "$deb")" | tee "$work/lintian.txt" || true
echo "lintian: $(grep -c '^E:' "$work/lintian.txt") errors, $(grep -c '^W:' "$work/lintian.txt") warnings," \
    "$(grep -c '^I:' "$work/lintian.txt") notes"
