#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what lands there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
entry=$prefix/share/applications/korvane.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
grep -qx 'Name=Korvane' "$entry" || fail "Name"
grep -qx 'Comment=30秒スキップのできるプレイヤー' "$entry" || fail "Comment"
grep -q '^Exec=Korvane %F$' "$entry" || fail "Exec"
grep -q '^MimeType=.*video/mp4;.*audio/mpeg;' "$entry" || fail "MimeType"
grep -q '^Categories=AudioVideo;Player;Video;$' "$entry" || fail "Categories"
[ -f "$prefix/share/icons/hicolor/scalable/apps/korvane.svg" ] || fail "scalable icon"
for size in 16 32 48 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/korvane.png
  [ -f "$png" ] || fail "icon $size"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "icon $size has the wrong size"
done
if [ -e "$build/Korvane" ]; then
  [ -x "$prefix/bin/Korvane" ] || fail "executable not installed with its mode"
fi
