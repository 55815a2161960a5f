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
grep -q '^Exec=korvane %F$' "$entry" || fail "Exec"
grep -q '^MimeType=.*video/mp4;.*audio/mpeg;' "$entry" || fail "MimeType"
grep -q '^Categories=AudioVideo;Player;Video;$' "$entry" || fail "Categories"
[ -f "$prefix/share/icons/hicolor/scalable/apps/korvane.svg" ] || fail "scalable icon"
for size in 16 32 48 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/korvane.png
  [ -f "$png" ] || fail "icon $size"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "icon $size has the wrong size"
done
[ -f "$prefix/share/metainfo/example.korvane.Korvane.metainfo.xml" ] || fail "AppStream metadata"
[ -f "$prefix/share/man/man1/korvane.1.gz" ] || fail "manual page"
if [ -e "$build/Korvane" ]; then
  for exe in Korvane Korvane.bin; do
    [ -x "$prefix/lib/korvane/$exe" ] || fail "$exe not installed with its mode"
  done
  [ "$(readlink "$prefix/bin/korvane")" = ../lib/korvane/Korvane ] || fail "bin/korvane is no relative link to it"
  [ "$("$prefix/bin/korvane" --version)" = "$("$build/Korvane" --version)" ] || fail "the command does not run it"
fi
