#!/usr/bin/env bash
# The manual pages and the bash completion say what the programs' --help
# says: every option of a command's --help is in its manual page and among
# the words its completion offers, every command of emsconv too, and every
# exit status of --help is in the manual page's EXIT STATUS.
#   CheckDocs.sh EMSCONV EMSCONV_MANPAGE COMPLETION [QUILLMERE QUILLMERE_MANPAGE]
set -uo pipefail
emsconv="$1" emsconv_page="$2" completion="$3" quillmere="${4:-}" quillmere_page="${5:-}"
problems=0
problem() { echo "$*" >&2; problems=$((problems + 1)); }

# The text of a manual page without roff's escapes for "-" and fonts.
page_text() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(em/-/g' "$1"; }
has_word() { grep -qE -- "(^|[^[:alnum:]-])$2([^[:alnum:]-]|\$)" <<<"$1"; }
# The words the completion offers after the command line "$1".
completions() {
    bash -c 'source /usr/share/bash-completion/bash_completion
        source "$2"
        COMP_LINE="$1"; COMP_POINT=${#COMP_LINE}
        read -ra COMP_WORDS <<<"$COMP_LINE"; [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _emsconv emsconv "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf "%s\n" "${COMPREPLY[@]}"' completions "$1" "$completion"
}

# check NAME PAGE "COMPLETION LINE" HELP-COMMAND...
check() {
    local name="$1" page="$2" line="$3"
    shift 3
    local help manual offered options word statuses section
    help="$("$@")" || { problem "$name: $* failed"; return; }
    manual="$(page_text "$page")"
    offered=""
    [ -z "$line" ] || offered="$(completions "$line")"
    options="$(grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[^-]//' | sort -u)"
    [ -n "$options" ] || problem "$name: no options found in --help"
    for word in $options; do
        has_word "$manual" "$word" || problem "$name: $word is in --help but not in $(basename "$page")"
        [ -z "$line" ] || grep -qx -- "$word" <<<"$offered" ||
            problem "$name: $word is in --help but not completed after \"$line\""
    done
    # Commands: the lines under "Commands:".
    for word in $(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p' <<<"$help"); do
        has_word "$manual" "$word" || problem "$name: command $word is not in $(basename "$page")"
        [ -z "$line" ] || grep -qx -- "$word" <<<"$offered" || problem "$name: command $word is not completed"
    done
    statuses="$(sed -n '/^Exit status:/,/^$/p' <<<"$help" | grep -oE '\b[0-9]+\b' | sort -u)"
    section="$(awk '/^\.SH / { inside = /^\.SH EXIT STATUS/ } inside' "$page" | grep -oE '\b[0-9]+\b' |
        sort -u)"
    for word in $statuses; do
        grep -qx "$word" <<<"$section" ||
            problem "$name: exit status $word is in --help but not in $(basename "$page")'s EXIT STATUS"
    done
    echo "$name: $(wc -w <<<"$options") options, $(wc -w <<<"$statuses") exit statuses checked"
}

check "emsconv" "$emsconv_page" "emsconv " "$emsconv" --help
check "emsconv melody" "$emsconv_page" "emsconv melody -" "$emsconv" melody --help
check "emsconv picture" "$emsconv_page" "emsconv picture -" "$emsconv" picture --help
check "emsconv decode" "$emsconv_page" "emsconv decode -" "$emsconv" decode --help
[ -z "$quillmere" ] || check "quillmere" "$quillmere_page" "" "$quillmere" --help
[ "$problems" -eq 0 ] || { echo "$problems disagreements between --help and the documentation" >&2; exit 1; }
