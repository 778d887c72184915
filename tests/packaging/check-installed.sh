#!/usr/bin/env bash
# Checks of an install into a scratch DESTDIR with the prefix /usr.
#   check-installed.sh install BUILD_DIR DESTDIR     (re)does the install
#   check-installed.sh CHECK DESTDIR [ARG...]        one check of the installed files
# Exit status 77 means the checker tool is missing here and the check was skipped.
set -euo pipefail

skip_unless_present() {
    command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }
}

what=$1
shift
if [ "$what" = install ]; then
    build=$1 destdir=$2
    rm -rf "$destdir"
    DESTDIR="$destdir" cmake --install "$build" --prefix /usr >/dev/null
    exit 0
fi
usr=$1/usr
shift

case $what in
manifest)  # ARGS: EXPECTED_FILES LIBDIR COMPONENT...
    expected=$1 libdir=$2
    shift 2
    components=" $* "
    diff -u --label expected --label installed \
        <(while read -r component path; do
              [[ $component == \#* || -z $component ]] && continue
              [[ $components == *" $component "* ]] && echo "${path/#LIBDIR\//$libdir/}"
          done <"$expected" | LC_ALL=C sort) \
        <(cd "$usr" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
    ;;
desktop)
    skip_unless_present desktop-file-validate
    entry=$usr/share/applications/example.quarnel.Quarnel.desktop
    desktop-file-validate "$entry"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    ls "$usr"/share/icons/hicolor/*/apps/"$icon".png >/dev/null
    ;;
metainfo)
    skip_unless_present appstreamcli
    appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml
    ;;
man)
    skip_unless_present man
    skip_unless_present groff
    status=0
    for page in "$usr"/share/man/man1/*.1.gz; do
        # The pages name the window's Chinese captions: they need a UTF-8 terminal.
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || status=1
        [ -z "$warnings" ] || { echo "${page##*/}: $warnings"; status=1; }
    done
    exit $status
    ;;
completion)
    # A stand-in quarnel-cli answers `domains` from whichever history file it is given.
    stub=$(mktemp -d)
    trap 'rm -rf "$stub"' EXIT
    cat >"$stub/quarnel-cli" <<'STUB'
#!/bin/sh
case "$*" in
    domains) printf '%s\n' example.com example.net 例子.cn ;;
    "--history-file other.sqlite3 domains") echo other.example ;;
    "watch list") echo watched.example ;;
    profiles) printf 'classic\tbuilt in\ncurrent\tbuilt in\n' ;;
    "watch --watch-file other.txt list") echo other-watched.example ;;
esac
STUB
    chmod +x "$stub/quarnel-cli"
    PATH=$stub:$PATH
    set +eu  # as in the interactive shell the completion runs in
    source "$usr/share/bash-completion/completions/quarnel-cli"
    status=0
    # The words typed so far (the last one being completed) | the offered completions.
    while IFS='|' read -r typed expected; do
        read -ra COMP_WORDS <<<"$typed"
        [[ $typed == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _quarnel_cli || true
        offered="${COMPREPLY[*]}"
        [ "$offered" = "$expected" ] || { echo "'$typed': offered '$offered', expected '$expected'"; status=1; }
    done <<'CASES'
quarnel-cli hi|history
quarnel-cli --profile c|classic current
quarnel-cli |history trend domains status watch profiles
quarnel-cli st|status
quarnel-cli status --|--json --watch-file --history-file
quarnel-cli status |
quarnel-cli --j|--json
quarnel-cli --history-file other.sqlite3 --n|--no-history
quarnel-cli history ex|example.com example.net
quarnel-cli history 例|例子.cn
quarnel-cli history --s|--since
quarnel-cli history --since |
quarnel-cli --history-file other.sqlite3 trend |other.example
quarnel-cli trend example.com |
quarnel-cli domains |
quarnel-cli watch |add remove list
quarnel-cli watch add e|example.com example.net
quarnel-cli watch remove |watched.example
quarnel-cli watch --watch-file other.txt remove |other-watched.example
quarnel-cli -- hist|
quarnel-cli example.com hist|
CASES
    exit $status
    ;;
*)
    echo "unknown check: $what" >&2
    exit 2
    ;;
esac
