#!/bin/sh
# COPIES copies of the program (default 4) save, change, delete and pay on
# one data folder for SECONDS (default 60, or $CONTENTION_SECONDS); then
# the checker looks for anything lost or overwritten unasked, and
# "tallybrook --check" must find the data sound.
# usage: contention.sh DRIVER TALLYBROOK [SECONDS [COPIES]]
set -u
driver=$1 program=$2 seconds=${3:-${CONTENTION_SECONDS:-60}} copies=${4:-4}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
# A first run makes the data folder; then all copies at once.
"$driver" run "$work/docs" c0 1 1 "$work/log0" || exit 1
n=1
while [ "$n" -le "$copies" ]; do
    "$driver" run "$work/docs" "c$n" "$n" "$seconds" "$work/log$n" &
    n=$((n + 1))
done
wait
echo "$copies copies x $seconds s:"
"$driver" verify "$work/docs" "$work"/log* || exit 1
"$program" --check "$work/docs/Fernhollow/ovo_data" || exit 1
