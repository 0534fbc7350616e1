#!/usr/bin/env bash
# Builds Binoxa and converts the sample stereo picture for two ways of viewing it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p build/demo
build/tools/bxconvert/bxconvert -oform=anaglyph_c_rb samples/scene.jps build/demo/anaglyph.png
build/tools/bxconvert/bxconvert -oform=crosseye samples/scene.pns build/demo/crosseye.jpg
echo "demo: build/demo/anaglyph.png (red/blue glasses) and build/demo/crosseye.jpg (cross your eyes)"
