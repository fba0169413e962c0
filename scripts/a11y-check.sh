#!/usr/bin/env bash
# Starts Tallybrook under a virtual display and a private session bus with
# accessibility on, and checks what a screen reader finds in the main window:
# no control a user reaches has an empty or repeated name.
#   scripts/a11y-check.sh [path/to/tallybrook]   (default build/tallybrook)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/tallybrook}
bash "$here/scripts/deps.sh" a11y
[ -x "$exe" ] || bash "$here/scripts/build.sh"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Documents"
export HOME=$home LANG=en_US.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# Debian's own Python: the one python3-pyatspi is installed for.
xvfb-run -a -s "-screen 0 1280x900x24" \
  dbus-run-session -- /usr/bin/python3 "$here/scripts/a11y-check.py" "$exe"
