#!/usr/bin/env bash
# Runs a command on a private headless Weston: scripts/with-weston.sh CMD [ARGS...]
# The command gets WAYLAND_DISPLAY as the socket's absolute path (the programs
# a test starts have runtime folders of their own), QT_QPA_PLATFORM=wayland and
# no DISPLAY. Weston draws with GL (llvmpipe): its pixman renderer sends no
# frame callbacks to GL clients, whose windows then never show.
set -euo pipefail
runtime=$(mktemp -d)
chmod 700 "$runtime"
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=wayland-test --use-gl \
  --width=1280 --height=1024 >"$runtime/weston.log" 2>&1 &
weston=$!
trap 'kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
  [ -S "$runtime/wayland-test" ] && break
  kill -0 "$weston" 2>/dev/null || { cat "$runtime/weston.log" >&2; exit 1; }
  sleep 0.1
done
[ -S "$runtime/wayland-test" ] || { echo "with-weston: Weston did not start" >&2; exit 1; }
set +e
env -u DISPLAY WAYLAND_DISPLAY="$runtime/wayland-test" QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" "$@"
