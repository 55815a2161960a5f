#!/usr/bin/env bash
# Builds the normal tree and writes the Debian package from it:
# scripts/package.sh [DIR]; prints the path of DIR/package/korvane_<version>_<arch>.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$dir"
rm -f "$dir"/package/korvane_*.deb
cpack --config "$dir/CPackConfig.cmake" -B "$dir/package" >/dev/null
ls "$dir"/package/korvane_*.deb
