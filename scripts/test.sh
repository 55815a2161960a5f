#!/usr/bin/env bash
# Installs the dependencies, builds the normal and the sanitizer trees and runs
# every test in both, whole-program tests under a private X server (and the
# picture's under a headless Weston, some whole-program ones under a Weston in
# the X server); checks the Debian package of the normal tree and gives each
# fuzz target a short run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# Tests that decode real media or drive the real window run one at a time:
# their waits are for playback, which a loaded machine slows down.
media_tests='^(Mpv|PropMpv)|WholeProgram'

# The whole-program cases run once more on Wayland, driven through a Weston
# in the X display: the file commands, full screen, a drop and the dialogs.
wayland_cases='^MainFormWholeProgram(Files|Drop)\.|CheckMenusDialogs'

# -noreset: by default the X server resets whenever its last client leaves, and
# a program that connects during that reset is refused the display.
xvfb_args="-screen 0 1280x1024x24 -noreset"

run_tests() {
  local dir=$1
  xvfb-run -a -s "$xvfb_args" \
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 300 -E "$media_tests"
  xvfb-run -a -s "$xvfb_args" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300 -R "$media_tests"
  # The picture and a whole program again on Wayland, under a headless Weston.
  "$root/scripts/with-weston.sh" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300 -R '^MpvPlayerGuiTest|^Wayland'
}

"$root/scripts/build.sh" "$root/build"
run_tests "$root/build"
# Only in the normal tree: the sanitizer tree runs the Wayland picture tests above.
xvfb-run -a -s "$xvfb_args" "$root/scripts/with-weston.sh" --on-x \
  ctest --test-dir "$root/build" --output-on-failure --timeout 300 -R "$wayland_cases"
# The Debian package of the normal tree; as root it is installed, run and removed again.
xvfb-run -a -s "$xvfb_args" "$root/tests/install/check-package.sh" "$root/build"

# A short run of every fuzz target over its corpus and a few seconds beyond.
"$root/scripts/fuzz.sh" all 5

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
# The sanitizer tree runs several times slower: every wait of a test may last three times as long.
export KORVANE_TEST_TIME_FACTOR=3
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$root/scripts/build.sh" "$root/build-asan" -DKORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
run_tests "$root/build-asan"
