#!/usr/bin/env bash
# Installs the dependencies, builds Korvane and starts it. With no path given
# it plays a small sample folder of generated clips.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ $# -eq 0 ]; then
  "$root/scripts/make-sample.sh" "$root/sample"
  set -- "$root/sample"
fi
exec "$root/build/Korvane" "$@"
