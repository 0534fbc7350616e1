#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks what a desktop
# needs: the programs run from there, the core library and DirectDraw sit in
# the library directory, the browser plug-in in its plug-ins folder finds
# the core, and the desktop entry and MIME description make a
# stereo JPEG, a stereo PNG and a presentation open in the viewer.
#
#   install_test.sh BUILD-DIR MIMEOF SAMPLES-DIR
set -euo pipefail
build="$1" mimeof="$2" samples="$3"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null 2>&1 ||
    fail "cmake --install failed"
libdir="$(cd "$prefix" && ls -d lib* | head -n 1)"
for file in bin/bxviewer bin/bxconvert bin/bxpack bin/bxpage "$libdir/libbxcore.so" \
    "$libdir/libbxplatform.so" "$libdir/libddraw.so" "$libdir/binoxa/plugins/libnpbx32.so" \
    share/applications/binoxa-viewer.desktop share/mime/packages/binoxa.xml; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
"$prefix/bin/bxviewer" --version | grep -q "^bxviewer " || fail "the installed bxviewer does not run"
help="$("$prefix/bin/bxviewer" --help)"
grep -q -- "-oform=NAME" <<< "$help" && grep -q "anaglyph_c_rb" <<< "$help" ||
    fail "bxviewer --help does not name the methods"
"$prefix/bin/bxconvert" --info "$samples/scene.jps" > /dev/null ||
    fail "the installed bxconvert does not run"
"$prefix/bin/bxpack" "$prefix/check.pxr" --text check &&
    "$prefix/bin/bxpack" --list "$prefix/check.pxr" | grep -qx end ||
    fail "the installed bxpack does not run"
plugin="$prefix/$libdir/binoxa/plugins/libnpbx32.so"
! ldd "$plugin" | grep -q "not found" || fail "the installed plug-in does not find its libraries"
python3 -c 'import ctypes, sys; ctypes.CDLL(sys.argv[1]).NP_GetEntryPoints' "$plugin" ||
    fail "the installed plug-in does not load"
"$prefix/bin/bxpage" --help | grep -q BINOXA_PLUGIN_DIR || fail "the installed bxpage does not run"
grep -qx "Exec=bxviewer %f" "$prefix/share/applications/binoxa-viewer.desktop" ||
    fail "the desktop entry does not start bxviewer"
grep -qx "MimeType=image/x-jps;image/x-pns;image/x-pxr;image/x-mpo;" \
    "$prefix/share/applications/binoxa-viewer.desktop" || fail "the desktop entry's types"

# The types as a file manager sees them, from one database that holds the
# system's types (image/jpeg, image/png) and ours, as an installation into
# /usr would have it.
cp /usr/share/mime/packages/*.xml "$prefix/share/mime/packages/"
update-mime-database "$prefix/share/mime" 2> /dev/null
export XDG_DATA_DIRS="$prefix/share" XDG_DATA_HOME="$prefix/none"
expect() {
    local file="$1" wanted="$2" found
    found="$("$mimeof" "$file")"
    [ "$found" = "$wanted" ] || fail "$(basename "$file") is $found, not $wanted"
}
cp "$samples/scene.jps" "$prefix/stereo-named.jps"
cp "$samples/scene.jps" "$prefix/stereo-without-extension"
cp "$samples/scene.pns" "$prefix/stereo.pns"
printf 'PXRF\0\0\0\0' > "$prefix/presentation-without-extension"
"$prefix/bin/bxconvert" -oform=left "$samples/scene.jps" "$prefix/plain.jpg"
cp "$prefix/plain.jpg" "$prefix/plain-without-extension"
"$prefix/bin/bxconvert" -oform=parallel "$samples/scene.jps" "$prefix/camera.mpo"
expect "$prefix/stereo-named.jps" image/x-jps
expect "$prefix/stereo-without-extension" image/x-jps
expect "$prefix/stereo.pns" image/x-pns
expect "$prefix/presentation-without-extension" image/x-pxr
expect "$prefix/plain-without-extension" image/jpeg
expect "$prefix/camera.mpo" image/x-mpo
echo "install test: passed"
