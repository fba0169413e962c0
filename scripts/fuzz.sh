#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for the
# given seconds (default 60), starting from its seeds in fuzz/corpus/.
# New inputs go to build-fuzz/corpus/, findings to build-fuzz/findings/.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$here/build-fuzz"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DTALLYBROOK_FUZZ=ON -DTALLYBROOK_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" --target fuzz_all

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p "$dir/findings"
failed=()
# The page reader starts from the golden pages the tests keep.
for seeds in "$here"/fuzz/corpus/*/ "$here/tests/data/pages/"; do
  name=$(basename "$seeds")
  [ "$name" = pages ] && name=page
  mkdir -p "$dir/corpus/$name"
  log="$dir/findings/$name.log"
  if "$dir/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/$name-" "$dir/corpus/$name" "$seeds" >"$log" 2>&1; then
    status=ok
  else
    status="FAILED (see $log)"
    failed+=("$name")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-10s %10s executions  %s\n' "$name" "${runs:-?}" "$status"
done
[ ${#failed[@]} -eq 0 ] || { echo "Fuzz findings: ${failed[*]}"; exit 1; }
