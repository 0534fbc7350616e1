#!/usr/bin/env bash
# Times bxconvert making a colour anaglyph (PPM) of a 4000 x 1500 side-by-side JPS
# against FFmpeg's stereo3d filter and ImageMagick's stereo composite making the same
# picture, and against djpeg decoding the file alone, on two pictures: the smooth
# rendered scene and fractal noise (fine grain, which JPEG decodes far more slowly).
# Prints the median wall time of RUNS runs (default 5, timed by hyperfine), the ratios against the goals,
# and bxconvert's peak memory against the output picture's size. Run after
# scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
runs="${RUNS:-5}"
bxconvert=build/tools/bxconvert/bxconvert

build/tools/scenegen/bxscene "$work/left.ppm" "$work/right.ppm" 2000 1500
"$bxconvert" -oform=crosseye "$work/left.ppm" "$work/right.ppm" "$work/smooth.jps"
build/tools/scenegen/bxscene --noise "$work/left.ppm" "$work/right.ppm" 2000 1500
"$bxconvert" -oform=crosseye "$work/left.ppm" "$work/right.ppm" "$work/noise.jps"
rm "$work/left.ppm" "$work/right.ppm"
output_kb=$((2000 * 1500 * 3 / 1024))

# Median wall time (s) of a command over $runs runs, from hyperfine (which runs it
# without a shell in between, so that small times are not swamped by the timer's own).
median() {
    hyperfine -N --warmup 1 --runs "$runs" --export-csv "$work/times.csv" "$*" > /dev/null 2>&1
    awk -F, 'NR == 2 { printf "%.4f", $4 }' "$work/times.csv"
}

# Peak memory (KB) of a command.
peak_memory() {
    /usr/bin/time -f "%M" -o "$work/time" "$@" > /dev/null 2>&1
    cat "$work/time"
}

status=0
for picture in smooth noise; do
    in="$work/$picture.jps"
    echo "== $picture picture ($(($(stat -c %s "$in") / 1024)) KB JPS)"
    ours=$(median "$bxconvert" -oform=anaglyph_c_rb "$in" "$work/ours.ppm")
    ours_kb=$(peak_memory "$bxconvert" -oform=anaglyph_c_rb "$in" "$work/ours.ppm")
    ffmpeg=$(median ffmpeg -v error -y -i "$in" -vf stereo3d=sbsr:arcc -frames:v 1 "$work/ff.ppm")
    magick=$(median convert "$in" -crop 2x1@ +repage -compose stereo -composite "$work/im.ppm")
    djpeg=$(median djpeg -outfile "$work/djpeg.ppm" "$in")
    printf "%-12s %8s s\n" bxconvert "$ours" ffmpeg "$ffmpeg" imagemagick "$magick" \
        djpeg "$djpeg"
    awk -v o="$ours" -v f="$ffmpeg" -v m="$magick" -v d="$djpeg" -v k="$ours_kb" \
        -v out="$output_kb" 'BEGIN {
        printf "ffmpeg / bxconvert:      %.2fx (goal >= 3)\n", f / o
        printf "imagemagick / bxconvert: %.2fx (goal >= 3)\n", m / o
        printf "bxconvert / djpeg:       %.2fx (goal <= 1.1)\n", o / d
        printf "bxconvert peak memory:   %d KB = output %d KB + %d KB (goal <= + 4096 KB)\n",
            k, out, k - out
        exit !(f / o >= 3 && m / o >= 3 && o / d <= 1.1 && k - out <= 4096)
    }' || status=1
    cmp -s "$work/ours.ppm" "$work/im.ppm" || echo "note: the anaglyph differs from ImageMagick's"
done
exit "$status"
