#!/usr/bin/env bash
# The catalogs and the sources' texts, run from the root of the sources:
#   catalogs.sh update LUPDATE CATALOG...            brings each catalog up to date with the texts
#   catalogs.sh check LUPDATE LRELEASE CATALOG...    fails when a catalog is not up to date, or
#                                                    holds an unfinished or a left-over entry
set -euo pipefail
# Every room whose sources show texts. Places are left out of the catalogs, so that moving code
# changes nothing in them.
rooms=(app widgets store editor speech reports settings preview platform notecard interchange finder search
       review reviewform reference)
options=(-locations none -extensions cpp,h,ui -I . -silent)
mode=$1
lupdate=$2
shift 2
case $mode in
update)
    for catalog in "$@"; do
        "$lupdate" "${options[@]}" -no-obsolete "${rooms[@]}" -ts "$catalog"
    done
    ;;
check)
    lrelease=$1
    shift
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    status=0
    for catalog in "$@"; do
        copy=$work/$(basename "$catalog")
        cp "$catalog" "$copy"
        "$lupdate" "${options[@]}" "${rooms[@]}" -ts "$copy"
        if ! cmp -s "$catalog" "$copy"; then
            echo "$catalog is not up to date with the sources' texts; what lupdate changes:"
            diff -u "$catalog" "$copy" | head -200 || true
            status=1
        fi
        # Untranslated, obsolete and vanished entries, as lupdate marks them.
        if grep -n -E 'type="(unfinished|obsolete|vanished)"' "$copy"; then
            echo "$catalog: the entries above are unfinished or left over"
            status=1
        fi
        stats=$("$lrelease" "$copy" -qm "$work/check.qm" 2>&1)
        echo "$(basename "$catalog"): $stats"
        if grep -q -E '[1-9][0-9]* untranslated|[1-9][0-9]* unfinished' <<<"$stats"; then
            status=1
        fi
    done
    exit $status
    ;;
*)
    echo "usage: $0 update LUPDATE CATALOG... | check LUPDATE LRELEASE CATALOG..." >&2
    exit 2
    ;;
esac
