#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing for a task:
#   scripts/deps.sh build|test|run|screenshot|a11y
set -euo pipefail
task=${1:-build}
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev fonts-dejavu-core)
case "$task" in
  # clang and libclang-rt-14-dev (libFuzzer, sanitizer runtimes): scripts/fuzz.sh
  test) pkgs+=(libbenchmark-dev poppler-utils desktop-file-utils clang libclang-rt-14-dev) ;;
  run) pkgs+=(xdg-utils libqt6svg6) ;;  # libqt6svg6: the window icon is an SVG
  screenshot) pkgs+=(xvfb xauth imagemagick xdotool libqt6svg6) ;;
  a11y) pkgs+=(python3-pyatspi at-spi2-core dbus xvfb xauth) ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
