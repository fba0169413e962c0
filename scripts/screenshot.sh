#!/usr/bin/env bash
# Starts Tallybrook under a virtual display with a scratch home folder and
# saves a picture of the main window: scripts/screenshot.sh [out.png]
#   SHOT_LANG=ar_EG.UTF-8   the locale (default en_US.UTF-8)
#   SHOT_DOCS=Документы     the documents folder's name (default Documents)
#   SHOT_STOCK=300          that many stock items in the data directory
#   SHOT_CLICKS="x,y x,y"   double clicks (window pixels) before the picture
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/screenshots/main-window.png}
mkdir -p "$(dirname "$out")"
bash "$here/scripts/deps.sh" screenshot
[ -x "$here/build/tallybrook" ] || bash "$here/scripts/build.sh"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
docs=${SHOT_DOCS:-Documents}
mkdir -p "$home/$docs" "$home/.config"
echo "XDG_DOCUMENTS_DIR=\"\$HOME/$docs\"" > "$home/.config/user-dirs.dirs"
if [ -n "${SHOT_STOCK:-}" ]; then
  mkdir -p "$home/$docs/Fernhollow/ovo_data"
  python3 - "$home/$docs/Fernhollow/ovo_data/ovo_stock.dat" "$SHOT_STOCK" <<'PY'
import struct, sys
cats = ["Hardware", "Paint", "Garden", "Electrical", "Plumbing"]
makers = ["Acme", "Brightline", "Castor & Sons", "", "Dunmore"]
units = ["ea", "box", "can", "ft", "pair"]
with open(sys.argv[1], "wb") as f:
    for n in range(1, int(sys.argv[2]) + 1):
        text = lambda s, w: s.encode("cp1252")[:w].ljust(w, b" ")
        f.write(b"1" + text(cats[n % 5], 30) + struct.pack("<d", n)
                + text(f"Stock item {n}: {cats[n % 5].lower()} supply, size {n % 12 + 1}", 120)
                + text(units[n % 5], 20) + text(makers[n % 5], 60) + bytes(120)
                + struct.pack("<q", (n * 1237 % 250000) * 100) + bytes(16))
PY
fi
HOME=$home LANG=${SHOT_LANG:-en_US.UTF-8} xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  "$0" & pid=$!
  for i in $(seq 1 50); do
    win=$(xdotool search --name "^Tallybrook$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
    sleep 0.2
  done
  sleep 1.5
  for click in $2; do
    xdotool mousemove --window "$win" "${click%,*}" "${click#*,}" click --repeat 2 --delay 80 1
    sleep 0.8
  done
  import -window root "$1"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
' "$here/build/tallybrook" "$out" "${SHOT_CLICKS:-}"
echo "$out"
