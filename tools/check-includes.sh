#!/bin/bash
# Fails when a source includes a header of another room that tools/include-rules.txt does not
# allow it to: no room reaches up into app/ or sideways into a form.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rules="$root/tools/include-rules.txt"
declare -A allowed
while read -r line; do
    line=${line%%#*}
    [[ "$line" =~ ^([a-z]+):(.*)$ ]] || continue
    allowed[${BASH_REMATCH[1]}]=" ${BASH_REMATCH[2]} "
done <"$rules"
status=0
cd "$root"
for room in "${!allowed[@]}"; do
    [ -d "$room" ] || continue
    [[ "${allowed[$room]}" == *" * "* ]] && continue
    while IFS=: read -r file number text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z]+)\/.*/\1/' <<<"$text")
        [ "$target" = "$room" ] && continue
        [ -n "${allowed[$target]+set}" ] || continue # not a room (a generated header, a library)
        if [[ "${allowed[$room]}" != *" $target "* ]]; then
            echo "$file:$number: $room/ may not include $target/ ($text)" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$room" \
                 --include='*.cpp' --include='*.h' --include='*.in' || true)
    # Generated form headers name their custom widgets' headers too.
    while IFS=: read -r file number text; do
        target=$(sed -E 's/.*<header>([a-z]+)\/.*/\1/' <<<"$text")
        [ "$target" = "$room" ] || [ -z "${allowed[$target]+set}" ] && continue
        if [[ "${allowed[$room]}" != *" $target "* ]]; then
            echo "$file:$number: $room/ may not use $target/ in a form ($text)" >&2
            status=1
        fi
    done < <(grep -rnE '<header>[a-z]+/' "$room" --include='*.ui' || true)
done
[ $status -eq 0 ] && echo "Includes follow the house plan (tools/include-rules.txt)."
exit $status
