#!/usr/bin/env bash
# Starts Tallybrook under a virtual display with a scratch home folder and
# saves a picture of the main window: scripts/screenshot.sh [out.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/screenshots/main-window.png}
mkdir -p "$(dirname "$out")"
bash "$here/scripts/deps.sh" screenshot
[ -x "$here/build/tallybrook" ] || bash "$here/scripts/build.sh"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Documents"
HOME=$home LANG=en_US.UTF-8 xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  "$0" & pid=$!
  for i in $(seq 1 50); do
    xdotool search --name "^Tallybrook$" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 1.5
  import -window root "$1"
  kill $pid; wait $pid 2>/dev/null || true
' "$here/build/tallybrook" "$out"
echo "$out"
