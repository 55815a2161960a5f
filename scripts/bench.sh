#!/usr/bin/env bash
# Builds and runs the benchmarks: scripts/bench.sh [app|search|config|player|soak|...]
# With no name every benchmark runs. Each prints its figures and its ratio
# against a peer measured in the same run; the soak prints what it saw and
# fails on a stall, the close soak (X11, then Weston) on any exit that is not clean.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  mapfile -t names < <(find "$root/bench" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
fi
for name in "${names[@]}"; do
  for exe in "$root/build/bench/$name"/bench_*; do
    [ -x "$exe" ] || continue
    echo "== $(basename "$exe")"
    "$exe"
    # The close soak runs once more on Wayland.
    if [ "$name" = close ]; then "$root/scripts/with-weston.sh" "$exe"; fi
  done
done
