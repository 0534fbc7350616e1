#!/usr/bin/env bash
# Renders the sample scene for two eyes and writes samples/scene.jps (cross-eyed
# arrangement, right view on the left) and samples/scene.pns (parallel, left view on
# the left). Run after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/tools/scenegen/bxscene "$work/left.ppm" "$work/right.ppm" 800 600
build/tools/bxconvert/bxconvert -oform=crosseye -quality=90 "$work/left.ppm" "$work/right.ppm" \
    samples/scene.jps
build/tools/bxconvert/bxconvert -oform=parallel "$work/left.ppm" "$work/right.ppm" samples/scene.pns
