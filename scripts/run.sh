#!/usr/bin/env bash
# Sets up what is missing, builds and starts Tallybrook.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" run
bash "$here/scripts/build.sh"
exec "$here/build/tallybrook"
