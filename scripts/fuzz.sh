#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for FUZZ_SECONDS (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBINOXA_WERROR=ON -DBINOXA_SANITIZE=ON -DBINOXA_FUZZ=ON -DBINOXA_TESTS=OFF -DBINOXA_BENCH=OFF
cmake --build build-fuzz

# Starting points for the decoders, which random bytes alone seldom reach:
# small pictures made with ImageMagick.
seed_corpus() {
    local corpus="$1" extension="$2"
    command -v convert > /dev/null || return 0
    [ -z "$(ls -A "$corpus")" ] || return 0
    convert -size 24x16 gradient:red-blue "$corpus/rgb.$extension"
    convert -size 24x16 gradient:white-black -colorspace Gray "$corpus/grey.$extension"
    convert -size 24x16 gradient:red-blue -interlace Plane "$corpus/interlaced.$extension"
}

# Small containers written with bxpack (built with the targets): wrapped files
# compressed and stored, a named block with an extra word, a text, a script.
seed_containers() {
    local corpus="$1" bxpack=build-fuzz/tools/bxpack/bxpack
    [ -x "$bxpack" ] || return 0
    [ -z "$(ls -A "$corpus")" ] || return 0
    "$bxpack" "$corpus/wrap.pxr" --wrap .clang-format --text "a caption" --script scripts/lsan.supp
    "$bxpack" "$corpus/named.pxr" --store --name stored --extra 7 --wrap scripts/lsan.supp \
        --compress --name notes --text-file .clang-format --block 77 .clang-format
}

# The sample presentation's script.
seed_scripts() {
    local corpus="$1"
    [ -z "$(ls -A "$corpus")" ] || return 0
    cp samples/tour.bxs "$corpus/"
}

# EMBED attributes and a small file of each kind the plug-in reads.
seed_plugin_streams() {
    local corpus="$1"
    command -v convert > /dev/null || return 0
    [ -z "$(ls -A "$corpus")" ] || return 0
    { printf 'jps\nWIDTH=320\nBGCOLOR=#FFFF00\nVIEW=anaglyphrb\nAUTOVIEW\n\0'
      convert -size 24x16 gradient:red-blue jpeg:-; } > "$corpus/jps"
    { printf 'pns\nPSIZE=100\nPROGBARCOLOR=#102030\n\0'
      convert -size 24x16 gradient:red-blue png:-; } > "$corpus/pns"
    { printf 'pxr\nTYPE=image/x-pxr\n\0'; cat samples/tour.pxr; } > "$corpus/pxr"
}

# A page with what bxpage looks for: a title, embedded files, blocks, a table.
seed_pages() {
    local corpus="$1"
    [ -z "$(ls -A "$corpus")" ] || return 0
    printf '%s\n' '<html><head><title>Two</title></head><body><p>Left <EMBED SRC="a.jps"' \
        'Width=200 height=100 hidden> and <embed src=b.pns type=image/x-pns></p><br>' \
        '<pre>one  two</pre><table><tr><td>a<td>b</table><noembed>none</noembed>' > "$corpus/page.html"
}

# Small AVI files made with FFmpeg: uncompressed, palette and key-frame codecs.
seed_videos() {
    local corpus="$1"
    command -v ffmpeg > /dev/null || return 0
    [ -z "$(ls -A "$corpus")" ] || return 0
    local codec
    for codec in "rawvideo -pix_fmt bgr24" "rawvideo -pix_fmt pal8" "mpeg4 -g 2" "mjpeg"; do
        # shellcheck disable=SC2086 # the codec's options are words of their own
        ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=16x8:rate=5 -frames:v 4 -c:v $codec \
            "$corpus/$(echo "$codec" | tr -c 'a-z0-9\n' '_').avi"
    done
}

# One target's run; its output and exit status go to files beside its corpus.
fuzz_target() {
    local target="$1" corpus="$2" status=0
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
        LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
        "build-fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=0 "$corpus" > "$corpus.log" 2>&1 < /dev/null || status=$?
    echo "$status" > "$corpus.status"
}

# The targets run side by side, one per core.
mapfile -t targets < build-fuzz/fuzz-targets.txt
cores="$(nproc)"
for target in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$(basename "$target")"
    mkdir -p "$corpus"
    case "$(basename "$target")" in
        jpeg_read_fuzz | convert_rows_fuzz) seed_corpus "$corpus" jpg ;;
        png_read_fuzz) seed_corpus "$corpus" png ;;
        avi_video_fuzz | animation_file_fuzz) seed_videos "$corpus" ;;
        pxr_input_fuzz) seed_containers "$corpus" ;;
        bxscript_build_fuzz) seed_scripts "$corpus" ;;
        plugin_stream_fuzz) seed_plugin_streams "$corpus" ;;
        html_page_fuzz) seed_pages "$corpus" ;;
    esac
    while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do
        wait -n || true
    done
    rm -f "$corpus.status"
    echo "fuzz: $target for ${seconds}s"
    fuzz_target "$target" "$corpus" &
done
wait

failed=0
for target in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$(basename "$target")"
    status="$(cat "$corpus.status")"
    echo "fuzz: $target: $(grep -E '^Done [0-9]+ runs' "$corpus.log" | tail -n 1)"
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$corpus.log"
        echo "fuzz: $target failed (exit $status)"
        failed=1
    fi
done
exit "$failed"
