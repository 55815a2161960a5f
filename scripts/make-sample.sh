#!/usr/bin/env bash
# Generates a small folder of short test clips: scripts/make-sample.sh DIR
# Each clip is a few seconds of test pattern and tone, above the default
# 512000-byte lower size bound of the file filter.
set -euo pipefail
dir=${1:?usage: make-sample.sh DIR}
mkdir -p "$dir"
make_clip() {
  local name=$1 seconds=$2 size=$3 freq=$4
  [ -s "$dir/$name" ] && return 0
  ffmpeg -loglevel error -y \
    -f lavfi -i "testsrc2=size=$size:rate=30:duration=$seconds" \
    -f lavfi -i "sine=frequency=$freq:duration=$seconds" \
    -c:v libx264 -preset veryfast -b:v 2M -g 30 -pix_fmt yuv420p \
    -c:a aac -b:a 128k -metadata title="${name%.*}" -shortest "$dir/$name"
}
make_clip "01 intro.mp4" 8 640x480 440
make_clip "02 skim.mp4" 12 640x360 660
make_clip "03 finale.mkv" 8 480x360 880
