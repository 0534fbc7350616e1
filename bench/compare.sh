#!/usr/bin/env bash
# Times bxconvert making a colour anaglyph of a 4000 x 1500 side-by-side JPS against
# FFmpeg's stereo3d filter and ImageMagick's stereo composite making the same kind of
# picture, and against djpeg decoding the file alone; prints the ratios and peak memory.
# Run after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
runs="${RUNS:-3}"

build/tools/scenegen/bxscene "$work/left.ppm" "$work/right.ppm" 2000 1500
build/tools/bxconvert/bxconvert -oform=crosseye "$work/left.ppm" "$work/right.ppm" "$work/pair.jps"

# Best wall time (s, to the millisecond) and peak memory (MB) of a command over $runs
# runs.
measure() {
    local best="" memory=0
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        /usr/bin/time -f "%M" -o "$work/time" "$@" > /dev/null 2>&1
        end=$(date +%s.%N)
        local seconds kilobytes
        seconds=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')
        kilobytes=$(cat "$work/time")
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best="$seconds"; fi
        if [ "$kilobytes" -gt "$memory" ]; then memory="$kilobytes"; fi
    done
    echo "$best $((memory / 1024))"
}

# ImageMagick cuts the two eyes out and composes them; the file holds the right eye
# first (cross-eyed arrangement).
imagemagick_anaglyph="convert '$work/pair.jps' -crop 50%x100% +repage '$work/eye-%d.ppm' &&
    composite -stereo +0+0 '$work/eye-1.ppm' '$work/eye-0.ppm' '$work/im.ppm'"

read -r ours ours_mb < <(measure build/tools/bxconvert/bxconvert -oform=anaglyph_c_rb \
    "$work/pair.jps" "$work/ours.ppm")
read -r ffmpeg ffmpeg_mb < <(measure ffmpeg -v error -y -i "$work/pair.jps" \
    -vf stereo3d=sbsr:arcc -frames:v 1 "$work/ff.ppm")
read -r magick magick_mb < <(measure bash -c "$imagemagick_anaglyph")
read -r djpeg djpeg_mb < <(measure djpeg -outfile "$work/djpeg.ppm" "$work/pair.jps")

printf "%-12s %8s s %6s MB\n" bxconvert "$ours" "$ours_mb" ffmpeg "$ffmpeg" "$ffmpeg_mb" \
    imagemagick "$magick" "$magick_mb" djpeg "$djpeg" "$djpeg_mb"
awk -v o="$ours" -v f="$ffmpeg" -v m="$magick" -v d="$djpeg" 'BEGIN {
    printf "ffmpeg / bxconvert:      %.2fx (goal >= 2.5)\n", f / o
    printf "imagemagick / bxconvert: %.2fx (goal >= 2.5)\n", m / o
    printf "bxconvert / djpeg:       %.2fx (goal <= 1.3)\n", o / d
}'
echo "bxconvert peak memory: ${ours_mb} MB (goal <= 40)"
