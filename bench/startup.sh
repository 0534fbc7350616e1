#!/usr/bin/env bash
# Times bxviewer from process start to the first complete frame of
# samples/scene.jps (colour anaglyph, actual size) on Xvfb: the median of RUNS
# runs (default 10) against the goal of 250 ms. Run after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/tools/bxconvert/bxconvert -oform=anaglyph_c_rb samples/scene.jps "$work/expected.ppm"
# A registry of its own, so that no stored setting changes what is shown.
mkdir "$work/home" "$work/run" && chmod 700 "$work/run"
HOME="$work/home" XDG_CONFIG_HOME="" XDG_RUNTIME_DIR="$work/run" BINOXA_SYSTEM_DIR="$PWD/build/system" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    build/bench/viewerstartup build/viewer/bxviewer anaglyph_c_rb samples/scene.jps \
    "$work/expected.ppm" "${RUNS:-10}" 250
