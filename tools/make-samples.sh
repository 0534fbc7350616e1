#!/usr/bin/env bash
# Renders the sample scene for two eyes and writes samples/scene.jps (cross-eyed
# arrangement, right view on the left) and samples/scene.pns (parallel, left view on
# the left), and a short animation of it with the camera swaying sideways:
# samples/orbit.avi (row-interleaved frames for shutter glasses, left row
# first, 15 frames a second, Motion JPEG with full vertical colour so that the
# eyes' rows stay apart) and samples/orbit-palette.avi (a small 8-bit palette
# variant for the tests), samples/sway.jps (the scene from the animation's
# swayed camera) and the presentation samples/tour.pxr, which shows the two
# pictures in turn (its script is samples/tour.bxs). Run after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/tools/scenegen/bxscene "$work/left.ppm" "$work/right.ppm" 800 600
build/tools/bxconvert/bxconvert -oform=crosseye -quality=90 "$work/left.ppm" "$work/right.ppm" \
    samples/scene.jps
build/tools/bxconvert/bxconvert -oform=parallel "$work/left.ppm" "$work/right.ppm" samples/scene.pns
build/tools/scenegen/bxscene --frame 6/24 "$work/left.ppm" "$work/right.ppm" 800 600
build/tools/bxconvert/bxconvert -oform=crosseye -quality=90 "$work/left.ppm" "$work/right.ppm" \
    samples/sway.jps
build/tools/bxpack/bxpack samples/tour.pxr --name tour.bxs --script samples/tour.bxs

frames=24
for ((i = 0; i < frames; i++)); do
    build/tools/scenegen/bxscene --frame "$i/$frames" "$work/left.ppm" "$work/right.ppm" 256 192
    build/tools/bxconvert/bxconvert -oform=interleaved_lr "$work/left.ppm" "$work/right.ppm" \
        "$(printf '%s/orbit%02d.ppm' "$work" "$i")"
done
ffmpeg -v error -y -framerate 15 -i "$work/orbit%02d.ppm" -c:v mjpeg -pix_fmt yuvj422p -q:v 3 \
    samples/orbit.avi
ffmpeg -v error -y -framerate 15 -i "$work/orbit%02d.ppm" -frames:v 8 -vf scale=128:192 \
    -c:v rawvideo -pix_fmt pal8 samples/orbit-palette.avi
