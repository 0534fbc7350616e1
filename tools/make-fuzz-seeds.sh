#!/usr/bin/env bash
# Writes starting points for the fuzz targets, one folder per target under
# OUTPUT (default build-fuzz/corpus): a small file of every variant the
# readers and parsers handle, and cut-short copies of each. `scripts/fuzz.sh
# --long` then keeps what adds coverage in the committed corpora.
#
#   tools/make-fuzz-seeds.sh [OUTPUT [KEPT]]
#
# KEPT is a folder of the files the tests made, hostile ones included
# (`BINOXA_KEEP_TEST_FILES=KEPT ctest` in a test build keeps them): each goes
# to every target that reads whole files, and the merge keeps what is new to it.
#
# Needs the fuzz build (build-fuzz, for bxpack and bxconvert), ImageMagick and
# FFmpeg.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-fuzz/corpus}"
kept="${2:-}"
bxpack=build-fuzz/tools/bxpack/bxpack
bxconvert=build-fuzz/tools/bxconvert/bxconvert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

folder() {
    mkdir -p "$out/$1"
    echo "$out/$1"
}

# The file, and its first half: a download cut short.
keep() {
    local file="$1" to="$2"
    cp "$file" "$to/"
    head -c $(($(stat -c %s "$file") / 2)) "$file" > "$to/half-$(basename "$file")"
}

picture() { convert -size 24x16 gradient:red-blue "$@"; }

# A small stereo pair from two views, as JPS and PNS.
convert -size 16x12 gradient:red-yellow -depth 8 "$work/left.ppm"
convert -size 16x12 gradient:blue-green -depth 8 "$work/right.ppm"
"$bxconvert" -oform=parallel "$work/left.ppm" "$work/right.ppm" "$work/pair.jps"
"$bxconvert" -oform=parallel "$work/left.ppm" "$work/right.ppm" "$work/pair.pns"
"$bxconvert" -oform=parallel "$work/left.ppm" "$work/right.ppm" "$work/pair.mpo"

jpeg="$work/jpeg"
mkdir -p "$jpeg"
picture "$jpeg/rgb.jpg"
picture -colorspace Gray "$jpeg/grey.jpg"
picture -interlace Plane "$jpeg/progressive.jpg"
picture -colorspace CMYK "$jpeg/cmyk.jpg"
picture -define jpeg:restart-interval=1 "$jpeg/restarts.jpg"
picture -sampling-factor 1x1 -quality 100 "$jpeg/full-chroma.jpg"
cp "$work/pair.jps" "$work/pair.mpo" "$jpeg/"
for target in jpeg_read_fuzz convert_rows_fuzz; do
    for file in "$jpeg"/*; do keep "$file" "$(folder $target)"; done
done

png="$work/png"
mkdir -p "$png"
for depth in 1 2 4 8 16; do
    picture -colorspace Gray -depth "$depth" "PNG:$png/grey$depth.png"
done
picture -depth 8 "PNG24:$png/rgb8.png"
picture -depth 16 "PNG48:$png/rgb16.png"
picture -colors 16 "PNG8:$png/palette.png"
picture -alpha set -channel A -evaluate set 50% "PNG32:$png/rgba8.png"
picture -alpha set -channel A -evaluate set 50% -depth 16 "PNG64:$png/rgba16.png"
picture -colorspace Gray -alpha set -channel A -evaluate set 50% "$png/grey-alpha.png"
picture -interlace PNG "$png/interlaced.png"
picture -colors 4 -transparent red "PNG8:$png/transparent.png"
cp "$work/pair.pns" "$png/"
for target in png_read_fuzz png_chunk_feed_fuzz; do
    for file in "$png"/*; do keep "$file" "$(folder $target)"; done
done

bmp="$work/bmp"
mkdir -p "$bmp"
for depth in 1 4 8; do picture -colors $((1 << depth)) -depth "$depth" "BMP3:$bmp/palette$depth.bmp"; done
picture -colors 200 -compress RLE "BMP3:$bmp/rle8.bmp"
picture -colors 12 -depth 4 -compress RLE "BMP3:$bmp/rle4.bmp"
picture -define bmp:subtype=RGB565 "$bmp/rgb565.bmp"
picture "BMP3:$bmp/rgb24.bmp"
picture -alpha set "BMP:$bmp/rgba32.bmp"
picture "BMP2:$bmp/os2.bmp"
for file in "$bmp"/*; do keep "$file" "$(folder bmp_read_fuzz)"; done

tga="$work/tga"
mkdir -p "$tga"
picture "$tga/true.tga"
picture -compress RLE "$tga/rle.tga"
picture -colorspace Gray "$tga/grey.tga"
picture -colorspace Gray -compress RLE "$tga/rle-grey.tga"
picture -colors 16 -type Palette "$tga/palette.tga"
picture -colors 16 -type Palette -compress RLE "$tga/rle-palette.tga"
picture -alpha set "$tga/alpha.tga"
picture -flip "$tga/bottom-up.tga"
for file in "$tga"/*; do keep "$file" "$(folder tga_read_fuzz)"; done

ppm="$work/ppm"
mkdir -p "$ppm"
picture -compress none "PBM:$ppm/plain.pbm"
picture -compress none "PGM:$ppm/plain.pgm"
picture -compress none "PPM:$ppm/plain.ppm"
picture "PBM:$ppm/raw.pbm"
picture "PGM:$ppm/raw.pgm"
picture "PPM:$ppm/raw.ppm"
picture -depth 16 "PPM:$ppm/raw16.ppm"
printf 'P6\n# a comment\n2 1\n255\n\xff\x00\x00\x00\xff\x00' > "$ppm/comment.ppm"
for file in "$ppm"/*; do keep "$file" "$(folder ppm_read_fuzz)"; done

# Run-length codes and descriptors: the first bytes pick the picture's size
# and kind, the rest is the data.
printf '\x10\x08\x00\x04\x01\x00\x00\x02\x02\x01\x00\x03\x05\x06\x07\x00\x00\x01' > "$(folder bmp_rle_fuzz)/rle8"
printf '\x10\x08\x01\x04\x12\x00\x00\x00\x04\x12\x34\x00\x01' > "$(folder bmp_rle_fuzz)/rle4"
printf '\x08\x03\x03\x81\x01\x02\x03\x02\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c' > "$(folder tga_packets_fuzz)/packets"
printf '_JPSJPS_\x00\x04\x00\x02\x01\x00' > "$(folder jps_descriptor_fuzz)/side-by-side"
printf '_JPSJPS_\x00\x08\x00\x03\x02\x01abcd\x00\x05hello' > "$(folder jps_descriptor_fuzz)/extra-comment"
printf '\x00' > "$(folder ster_chunk_fuzz)/cross"
printf '\x01' > "$(folder ster_chunk_fuzz)/parallel"

# Presentation containers written with bxpack.
pxr="$(folder pxr_input_fuzz)"
"$bxpack" "$pxr/wrap.pxr" --wrap "$work/pair.jps" --text "a caption" --script samples/tour.bxs
"$bxpack" "$pxr/named.pxr" --store --name stored --extra 7 --wrap "$work/pair.pns" \
    --compress --name notes --text-file .clang-format --block 77 .clang-format
keep samples/tour.pxr "$pxr"

scripts="$(folder bxscript_build_fuzz)"
cp samples/tour.bxs "$scripts/"
printf '%s\n' 'image a' 'hotspot h' 'rectangle r' 'a.LOAD "with \"quotes\" and \\ slash.jps"' \
    'h.SET(1, 2, 30, 40)' 'label top' 'display a' 'wait {' '  on rightclick h do goto top' \
    '  on key anywhere do goto end' '}' 'label end' > "$scripts/objects.bxs"
printf '%s\n' 'display nothing' 'goto nowhere' 'wait on click' 'image' '"unended' > "$scripts/errors.bxs"

streams="$(folder plugin_stream_fuzz)"
{ printf 'jps\nWIDTH=320\nBGCOLOR=#FFFF00\nVIEW=anaglyphrb\nAUTOVIEW\n\0'; cat "$work/pair.jps"; } > "$streams/jps"
{ printf 'pns\nPSIZE=100\nPROGBARCOLOR=#102030\nVIEW=crosseye\n\0'; cat "$work/pair.pns"; } > "$streams/pns"
{ printf 'pxr\nTYPE=image/x-pxr\n\0'; cat "$pxr/wrap.pxr"; } > "$streams/pxr"
{ printf 'jps\nBG=#12345\nVIEW\n\0'; head -c 300 "$work/pair.jps"; } > "$streams/bad-attributes"

pages="$(folder html_page_fuzz)"
printf '%s\n' '<html><head><title>Two</title></head><body><p>Left <EMBED SRC="a.jps"' \
    'Width=200 height=100 hidden> and <embed src=b.pns type=image/x-pns></p><br>' \
    '<pre>one  two</pre><table><tr><td>a<td>b</table><noembed>none</noembed>' > "$pages/page.html"
cp samples/page.html "$pages/sample.html"

videos="$work/videos"
mkdir -p "$videos"
for codec in "rawvideo -pix_fmt bgr24" "rawvideo -pix_fmt pal8" "rawvideo -pix_fmt rgb555le" \
    "mpeg4 -g 2" "mjpeg" "png"; do
    # shellcheck disable=SC2086 # the codec's options are words of their own
    ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=16x8:rate=5 -frames:v 4 -c:v $codec \
        "$videos/$(echo "$codec" | tr -c 'a-z0-9\n' '_').avi"
done
for target in avi_video_fuzz animation_file_fuzz; do
    for file in "$videos"/*; do keep "$file" "$(folder $target)"; done
done

profiles="$(folder adapter_profile_fuzz)"
printf 'mode 1024x768x32\ndesktop 1024x768x32\n' > "$profiles/plain"
printf '%s\n' 'mode 640x480x8 800x600x16 1024x768x32' 'desktop 800x600x16' 'video-memory 4194304' \
    'hardware-stereo' 'refuse 800x600x16' 'fail SetDisplayMode' > "$profiles/everything"
printf '[Display]\nWidth=1024\n; a comment\n[Other]\nName = value \n' > "$(folder profile_fuzz)/ini"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Norvane\\Binoxa\\Preferences]\n"AutoView"=dword:00000001\n"QuickMenu"="1,4,5,"\n"Data"=hex:01,02,\\\n  03\n"Text"=hex(2):41,00\n@="default"\n\n[-HKEY_CURRENT_USER\\Software\\Gone]\n' > "$(folder registry_file_fuzz)/preferences.reg"
objcopy -O binary --only-section=.binoxa_version build-fuzz/plugin/libnpbx32.so \
    "$(folder versioninfo_fuzz)/plugin-section"
printf '1 2 3\n# comment\n4,5\n' > "$(folder driver_config_fuzz)/numbers"
printf '640x480x8\0' > "$(folder excluded_mode_name_fuzz)/mode"
# The MPF segments of the MPO, after their "MPF\0" (the target adds it).
python3 - "$work/pair.mpo" "$(folder mpf_index_fuzz)" <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
at = data.find(b"\xff\xe2")
count = 0
while at >= 0:
    length = data[at + 2] << 8 | data[at + 3]
    segment = data[at + 4:at + 2 + length]
    if segment.startswith(b"MPF\0"):
        count += 1
        open(f"{sys.argv[2]}/segment{count}", "wb").write(segment[4:])
    at = data.find(b"\xff\xe2", at + 2)
PYTHON
printf 'a.jps\0-oform=anaglyph_c_rb\0b.pns\0' > "$(folder command_line_fuzz)/arguments"
printf '/tmp\0a.jps\0b.pns\0\0' > "$(folder file_list_fuzz)/two"
printf 'Stereo files\0*.jps;*.pns\0All\0*.*\0\0start.jps\0' > "$(folder filedialogbuffer_fuzz)/filters"
if [ -n "$kept" ]; then
    for target in jpeg_read_fuzz convert_rows_fuzz png_read_fuzz png_chunk_feed_fuzz \
        bmp_read_fuzz tga_read_fuzz ppm_read_fuzz blockfile_fuzz pxr_input_fuzz \
        bxscript_build_fuzz avi_video_fuzz animation_file_fuzz html_page_fuzz \
        registry_file_fuzz adapter_profile_fuzz profile_fuzz; do
        find "$kept" -type f -exec cp -t "$(folder $target)" {} +
    done
fi
echo "seeds written to $out"
