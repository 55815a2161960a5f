#!/usr/bin/env bash
# Writes the Debian package from a build tree and checks it: its files and fields, lintian, the
# AppStream metadata, the desktop entry and the manual page. As root (CI) it then installs it,
# runs the installed program on the X display on a clip, and removes it again without a trace.
# tests/install/check-package.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
work=$(mktemp -d)
pid=""
installed=false
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if $installed; then dpkg -r korvane >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$("$root/scripts/package.sh" "$build" | tail -1)
version=$("$build/Korvane" --version)

# Fields: the version is the program's own, the libraries come from the executable.
[ "$(dpkg-deb -f "$deb" Package)" = korvane ] || fail "package name"
[ "Korvane $(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not the program's ($version)"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libmpv2 libqt6widgets6 qt6-qpa-plugins; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# Files: exactly these, the command a relative link to the executable, the full program beside it.
expected=$(
  echo "usr/bin/korvane -> ../lib/korvane/Korvane"
  echo "usr/lib/korvane/Korvane"
  echo "usr/lib/korvane/Korvane.bin"
  echo "usr/share/applications/korvane.desktop"
  echo "usr/share/doc/korvane/changelog.gz"
  echo "usr/share/doc/korvane/copyright"
  for size in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${size}x${size}/apps/korvane.png"; done
  echo "usr/share/icons/hicolor/scalable/apps/korvane.svg"
  echo "usr/share/man/man1/korvane.1.gz"
  echo "usr/share/metainfo/example.korvane.Korvane.metainfo.xml")
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ *\.\//, ""); print }' <<<"$listing")
[ "$(sort <<<"$files")" = "$(sort <<<"$expected")" ] || fail "file list differs:$(diff <(sort <<<"$expected") <(sort <<<"$files"))"
for exe in Korvane Korvane.bin; do
  grep -q "^-rwxr-xr-x root/root .* ./usr/lib/korvane/$exe\$" <<<"$listing" || fail "$exe: executable mode or owner"
done

lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2) || fail "lintian reports errors"
dpkg-deb -x "$deb" "$work/tree"
appstreamcli validate --no-net "$work/tree/usr/share/metainfo/example.korvane.Korvane.metainfo.xml" >/dev/null ||
  fail "AppStream metadata does not validate"
grep -q '<release version="'"${version#Korvane }"'"' "$work/tree/usr/share/metainfo/example.korvane.Korvane.metainfo.xml" ||
  fail "AppStream release is not the program's version"
desktop-file-validate "$work/tree/usr/share/applications/korvane.desktop" || fail "desktop entry does not validate"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
  "$work/tree/usr/share/man/man1/korvane.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing the package (dpkg -i) needs root; CI runs this as root"
  exit 0
fi
if dpkg-query -W -f='${Status}' korvane 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIP: a korvane package is installed already; not replacing it"
  exit 0
fi
[ -n "${DISPLAY:-}" ] || fail "no X display: run under xvfb-run"

dpkg -i "$deb" >/dev/null
installed=true
[ "$(/usr/bin/korvane --version)" = "$version" ] || fail "installed korvane --version"

# The installed program on a clip: its caption, and its ini in the user's config folder.
mkdir -p "$work/media" "$work/home/config" "$work/home/runtime"
chmod 700 "$work/home/runtime"
ffmpeg -loglevel error -f lavfi -i testsrc2=size=480x360:rate=25:duration=3 -f lavfi -i sine=duration=3 \
  -c:v mpeg4 -q:v 1 -c:a aac -shortest "$work/media/clip.mp4"
(cd "$work" && exec env -u KORVANE_INI HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
  XDG_CACHE_HOME="$work/home/cache" XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime" \
  /usr/bin/korvane "$work/media/clip.mp4" 2>"$work/stderr") &
pid=$!
caption=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
  [ -n "$window" ] && caption=$(xdotool getwindowname "$window" 2>/dev/null || true)
  [[ $caption == "Korvane "*clip* ]] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended: $(cat "$work/stderr")"
  sleep 0.2
done
[[ $caption == "Korvane "*clip* ]] || fail "caption '$caption' is not the program's with the clip"
class=$(xprop -id "$window" WM_CLASS)
[[ $class == *', "Korvane"' ]] || fail "window class is not the desktop entry's StartupWMClass: $class"
[ "$(XDG_RUNTIME_DIR="$work/home/runtime" /usr/bin/korvane --version)" = "$version" ] ||
  fail "--version beside a running window"
[ -d "$work/home/config/Korvane" ] || fail "no settings folder in XDG_CONFIG_HOME"
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -KILL "$pid" 2>/dev/null || true
pid=""
[ "$(ls /usr/lib/korvane)" = "$(printf 'Korvane\nKorvane.bin')" ] || fail "the program wrote beside itself: $(ls /usr/lib/korvane)"

dpkg -r korvane >/dev/null
installed=false
while read -r path; do
  path=/${path%% -> *}
  [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path left after removal"
done <<<"$expected"
for dir in /usr/lib/korvane /usr/share/doc/korvane; do [ ! -e "$dir" ] || fail "$dir left after removal"; done
if [ -f /usr/share/applications/mimeinfo.cache ]; then
  ! grep -q korvane /usr/share/applications/mimeinfo.cache || fail "the file types still name korvane"
fi
echo "package $(basename "$deb"): checked, installed, run and removed"
