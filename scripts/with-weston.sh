#!/usr/bin/env bash
# Runs a command on a private Weston: scripts/with-weston.sh [--on-x] CMD [ARGS...]
# The command gets WAYLAND_DISPLAY as the socket's absolute path (the programs
# a test starts have runtime folders of their own) and QT_QPA_PLATFORM=wayland.
#
# Without --on-x Weston is headless and the command gets no DISPLAY. Weston
# draws with GL (llvmpipe): its pixman renderer sends no frame callbacks to GL
# clients, whose windows then never show.
#
# With --on-x (under xvfb-run) Weston runs as a window of that X display, so X
# tools reach the Wayland programs as a user would: keys and the pointer sent
# to Weston's window go to the focused program, a screenshot of it is what the
# user sees. The command keeps DISPLAY and gets KORVANE_TEST_WESTON_WINDOW,
# that window's id; the desktop has no panel and a plain background of
# KORVANE_TEST_WESTON_BACKGROUND, so the programs' windows stand out on it;
# windows come and go without fading, and keys do not repeat (a Wayland
# program repeats a key itself until its release comes, which on a loaded
# machine may come late).
set -euo pipefail
on_x=false
if [ "${1:-}" = --on-x ]; then
  on_x=true
  shift
  [ -n "${DISPLAY:-}" ] || { echo "with-weston: --on-x needs an X display (run under xvfb-run)" >&2; exit 1; }
fi
runtime=$(mktemp -d)
chmod 700 "$runtime"
background=13579b
cat >"$runtime/weston.ini" <<INI
[core]
idle-time=0

[keyboard]
repeat-rate=0

[shell]
panel-position=none
background-color=0xff$background
animation=none
close-animation=none
startup-animation=none
focus-animation=none
INI
if $on_x; then
  backend=(--backend=x11-backend.so)
else
  backend=(--backend=headless-backend.so --use-gl)
fi
XDG_RUNTIME_DIR=$runtime XDG_CACHE_HOME=$runtime/cache weston --config="$runtime/weston.ini" "${backend[@]}" --socket=wayland-test \
  --width=1280 --height=1024 >"$runtime/weston.log" 2>&1 &
weston=$!
trap 'kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
  [ -S "$runtime/wayland-test" ] && break
  kill -0 "$weston" 2>/dev/null || { cat "$runtime/weston.log" >&2; exit 1; }
  sleep 0.1
done
[ -S "$runtime/wayland-test" ] || { echo "with-weston: Weston did not start" >&2; exit 1; }
environment=(WAYLAND_DISPLAY="$runtime/wayland-test" QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime")
if $on_x; then
  window=
  for _ in $(seq 50); do
    window=$(xdotool search --class '^weston' | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "with-weston: Weston's window is not on $DISPLAY" >&2; exit 1; }
  # Weston takes the pointer's moves only after it has seen it enter its window,
  # and the pointer starts inside, where the window opened under it. Mapped again,
  # the window is entered.
  xdotool windowunmap --sync "$window"
  xdotool windowmap --sync "$window"
  xdotool windowfocus --sync "$window"  # where the keys of the tests go
  environment+=(KORVANE_TEST_WESTON_WINDOW="$window" KORVANE_TEST_WESTON_BACKGROUND="#$background")
else
  environment=(-u DISPLAY "${environment[@]}")
fi
set +e
env "${environment[@]}" "$@"
