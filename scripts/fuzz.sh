#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, with clang, in build-fuzz) and runs
# one or all of them: scripts/fuzz.sh [NAME|all] [SECONDS each, default 10].
# Each run starts from its seed corpus in tests/fuzz/corpus/<NAME>; inputs it
# finds new go to build-fuzz/corpus/<NAME>, a failing input to
# build-fuzz/findings/<NAME>-*. Exits non-zero when a target fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-all}
seconds=${2:-10}
dir=$root/build-fuzz

cmake -S "$root" -B "$dir" -G Ninja -DKORVANE_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j "$(nproc)"

if [[ $name == all ]]; then
  names=$(cd "$root/tests/fuzz/corpus" && ls)
else
  names=$name
fi
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in $names; do
  mkdir -p "$dir/corpus/$target" "$dir/findings"
  echo "== fuzz_$target for ${seconds}s"
  "$dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -artifact_prefix="$dir/findings/$target-" "$dir/corpus/$target" "$root/tests/fuzz/corpus/$target"
done
