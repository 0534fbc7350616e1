#!/usr/bin/env bash
# Builds Binoxa, converts the sample stereo picture for two ways of viewing it,
# and shows it in the viewer, full screen in colour anaglyph (red/blue
# glasses). Escape closes the view. Without a display the viewer runs on a
# virtual X server and a screenshot of the view is kept instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p build/demo
build/tools/bxconvert/bxconvert -oform=anaglyph_c_rb samples/scene.jps build/demo/anaglyph.png
build/tools/bxconvert/bxconvert -oform=crosseye samples/scene.pns build/demo/crosseye.jpg
echo "demo: build/demo/anaglyph.png (red/blue glasses) and build/demo/crosseye.jpg (cross your eyes)"

# The simulated glasses drivers of the build tree stand in for installed ones.
export BINOXA_SYSTEM_DIR="$PWD/build/system"
viewer=(build/viewer/bxviewer -oform=anaglyph_c_rb samples/scene.jps)

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: the viewer shows samples/scene.jps; press Escape to close it"
    "${viewer[@]}"
    exit 0
fi

# No display: run the same on Xvfb, wait for the picture (the screen is no
# longer all black, and the same twice running), keep a screenshot and close
# the view with Escape.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    export QT_QPA_PLATFORM=xcb
    "$@" 2> /dev/null &
    viewer=$!
    previous=0
    for _ in $(seq 100); do
        sleep 0.1
        mean=$(import -window root -depth 8 ppm:- | convert ppm:- -format "%[fx:mean]" info:)
        [ "$mean" != "0" ] && [ "$mean" = "$previous" ] && break
        previous=$mean
    done
    import -window root build/demo/viewer.png
    xdotool key Escape
    wait "$viewer"
' demo "${viewer[@]}"
echo "demo: no display here, so the viewer ran on Xvfb; its screen is in build/demo/viewer.png"
