#!/bin/sh
# Kills a copy of the program at random moments while it saves, KILLS times
# (default 500, or $CRASH_KILLS), and checks the data after each kill with
# "tallybrook --check": since the last check, at most one live document
# whose page is missing and one record that differs from its page (a save
# cut off between the two), temporary files said to be safe to delete, and
# nothing else.
# usage: crash.sh DRIVER TALLYBROOK [KILLS]
set -u
driver=$1 program=$2 kills=${3:-${CRASH_KILLS:-500}}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
data=$work/docs/Fernhollow/ovo_data
: >"$work/before"
i=0
while [ "$i" -lt "$kills" ]; do
    i=$((i + 1))
    "$driver" run "$work/docs" c1 "$i" 0 "$work/log" >/dev/null 2>&1 &
    pid=$!
    sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.3f", 0.1 + rand() * 0.9 }')"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    [ -d "$data" ] || continue
    "$program" --check "$data" >"$work/out"
    [ "$?" -le 1 ] || { echo "kill $i: the check could not read the data"; exit 1; }
    grep -v ': no problems found' "$work/out" | sort >"$work/now"
    new=$(comm -13 "$work/before" "$work/now")
    mv "$work/now" "$work/before"
    [ -n "$new" ] || continue
    missing=$(printf '%s\n' "$new" | grep -c 'the page of live document .* is missing')
    differs=$(printf '%s\n' "$new" | grep -c 'differs from its page')
    others=$(printf '%s\n' "$new" | grep -v -e 'the page of live document .* is missing' \
        -e 'differs from its page' -e 'temporary file .*safe to delete')
    if [ "$missing" -gt 1 ] || [ "$differs" -gt 1 ] || [ -n "$others" ]; then
        printf 'kill %s left:\n%s\n' "$i" "$new"
        exit 1
    fi
done
count() { grep -c "$1" "$work/before"; }
echo "$kills kills left $(count 'is missing') pages missing, $(count 'differs') records" \
    "differing from their pages, $(count 'temporary file') temporary files"
