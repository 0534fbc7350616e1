#!/usr/bin/env bash
# Builds Binoxa, converts the sample stereo picture for two ways of viewing it,
# shows it in the viewer, full screen in colour anaglyph (red/blue glasses),
# and then the sample web page in bxpage with the browser plug-in, its two
# pictures arriving at a slow line's pace. Escape closes the view; closing the
# page's window ends the demo. Without a display both run on a virtual X
# server and screenshots are kept instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p build/demo
build/tools/bxconvert/bxconvert -oform=anaglyph_c_rb samples/scene.jps build/demo/anaglyph.png
build/tools/bxconvert/bxconvert -oform=crosseye samples/scene.pns build/demo/crosseye.jpg
echo "demo: build/demo/anaglyph.png (red/blue glasses) and build/demo/crosseye.jpg (cross your eyes)"

# The simulated glasses drivers of the build tree stand in for installed ones.
export BINOXA_SYSTEM_DIR="$PWD/build/system" BINOXA_PLUGIN_DIR="$PWD/build/plugin"
viewer=(build/viewer/bxviewer -oform=anaglyph_c_rb samples/scene.jps)
page=(build/tools/bxpage/bxpage --rate 40000 samples/page.html)
# The demo's own preferences: the plug-in draws rows as they arrive, shows
# pictures full screen cross-eyed on a click, and skips its first-start notes.
export BINOXA_REGISTRY="$PWD/build/demo/registry.reg"
printf '%s\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Norvane\Binoxa\Preferences]' \
    '"ProgressiveDisplay"=dword:00000001' '"DontShowQuickHelp"=dword:00000001' '' \
    '[HKEY_CURRENT_USER\Software\Norvane\Common\Preferences]' '"StereoView"=dword:00000004' \
    > "$BINOXA_REGISTRY"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: the viewer shows samples/scene.jps; press Escape to close it"
    "${viewer[@]}"
    echo "demo: bxpage shows samples/page.html; click a picture for full screen, close the window to end"
    "${page[@]}"
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

# The page the same way: screenshots once the pictures are whole.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    export QT_QPA_PLATFORM=xcb
    "$@" 2> /dev/null &
    page=$!
    sleep 3
    previous=""
    for _ in $(seq 100); do
        sleep 0.5
        now=$(import -window root -depth 8 ppm:- | md5sum)
        [ "$now" = "$previous" ] && break
        previous=$now
    done
    import -window root build/demo/page.png
    kill "$page"
    wait "$page"
' demo "${page[@]}"
echo "demo: bxpage showed samples/page.html with the plug-in on Xvfb; its screen is in build/demo/page.png"
