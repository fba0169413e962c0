#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test; then runs them again
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" test
bash "$here/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$here/build" --output-on-failure --timeout 300

cmake -S "$here" -B "$here/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTALLYBROOK_SANITIZE=ON -DTALLYBROOK_BENCH=OFF >/dev/null
cmake --build "$here/build-asan"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$here/build-asan" --output-on-failure --timeout 600

# Every reader of outside bytes against libFuzzer, 10 seconds each.
bash "$here/scripts/fuzz.sh" 10
