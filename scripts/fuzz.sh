#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and fuzzes each from its committed corpus
# (fuzz/corpus/TARGET) with its format's dictionary (fuzz/dict).
#
#   scripts/fuzz.sh                 every target for FUZZ_SECONDS (default 20), one per core
#   scripts/fuzz.sh --long SECONDS [TARGET...]
#                                   every target (or those named) for SECONDS or FUZZ_RUNS
#                                   runs (default 10 M), whichever comes first, then what it
#                                   found that adds coverage is merged into its committed corpus
#
# FUZZ_JOBS sets how many targets run at once (default: one per core).
#
# New inputs go to build-fuzz/corpus/TARGET, crashes to build-fuzz/artifacts/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
long=0
run_limit=()
chosen=()
if [ "${1:-}" = "--long" ]; then
    [ -n "${2:-}" ] || { echo "usage: scripts/fuzz.sh [--long SECONDS [TARGET...]]" >&2; exit 2; }
    long=1
    seconds="$2"
    run_limit=("-runs=${FUZZ_RUNS:-10000000}")
    chosen=("${@:3}")
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBINOXA_WERROR=ON -DBINOXA_SANITIZE=ON -DBINOXA_FUZZ=ON -DBINOXA_TESTS=OFF -DBINOXA_BENCH=OFF
cmake --build build-fuzz

# The dictionary of the format a target reads, if it has one.
dictionary_of() {
    case "$1" in
        jpeg_read_fuzz | convert_rows_fuzz | jps_descriptor_fuzz) echo jpeg ;;
        mpf_index_fuzz) echo mpf ;;
        png_read_fuzz | png_chunk_feed_fuzz | ster_chunk_fuzz) echo png ;;
        bmp_read_fuzz | bmp_rle_fuzz) echo bmp ;;
        tga_read_fuzz | tga_packets_fuzz) echo tga ;;
        ppm_read_fuzz) echo ppm ;;
        pxr_input_fuzz) echo pxr ;;
        bxscript_build_fuzz) echo bxscript ;;
        html_page_fuzz | plugin_stream_fuzz) echo html ;;
        avi_video_fuzz | animation_file_fuzz) echo avi ;;
        registry_file_fuzz) echo registry ;;
        adapter_profile_fuzz | profile_fuzz) echo profile ;;
        versioninfo_fuzz) echo versioninfo ;;
    esac
}

# One target's run; its output and exit status go to files beside its corpus.
fuzz_target() {
    local name="$1" scratch="build-fuzz/corpus/$1" committed="fuzz/corpus/$1" status=0
    local artifacts="build-fuzz/artifacts/$name" dict options=()
    rm -rf "$artifacts"
    mkdir -p "$scratch" "$committed" "$artifacts"
    dict="$(dictionary_of "$name")"
    [ -z "$dict" ] || options+=("-dict=fuzz/dict/$dict.dict")
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
        LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
        "build-fuzz/fuzz/$name" -max_total_time="$seconds" "${run_limit[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${options[@]}" \
        "$scratch" "$committed" > "$scratch.log" 2>&1 < /dev/null || status=$?
    if [ "$long" = 1 ] && [ "$status" -eq 0 ]; then
        # The committed corpus becomes the smallest set of both corpora that
        # covers the edges they cover (hit counts left out, which would keep
        # thousands of near-copies); inputs a fuzzer found (found-*) stay.
        local minimised="$scratch.minimised"
        rm -rf "$minimised"
        mkdir -p "$minimised"
        ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0 \
            "build-fuzz/fuzz/$name" -merge=1 -use_counters=0 -timeout=10 -rss_limit_mb=2048 \
            "$minimised" "$committed" "$scratch" > "$scratch.merge.log" 2>&1 < /dev/null || status=$?
        if [ "$status" -eq 0 ]; then
            find "$committed" -name 'found-*' -exec cp -t "$minimised" {} +
            rm -rf "$committed"
            mv "$minimised" "$committed"
        fi
    fi
    echo "$status" > "$scratch.status"
}

# The targets run side by side, one per core (FUZZ_JOBS changes that).
mapfile -t targets < build-fuzz/fuzz-targets.txt
if [ "${#chosen[@]}" -gt 0 ]; then
    for name in "${chosen[@]}"; do
        grep -qx "fuzz/$name" build-fuzz/fuzz-targets.txt || { echo "fuzz: no target $name" >&2; exit 2; }
    done
    targets=("${chosen[@]/#/fuzz/}")
fi
cores="${FUZZ_JOBS:-$(nproc)}"
for target in "${targets[@]}"; do
    name="$(basename "$target")"
    while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do
        wait -n || true
    done
    rm -f "build-fuzz/corpus/$name.status"
    echo "fuzz: $name for ${seconds}s"
    fuzz_target "$name" &
done
wait

# Per target: runs, edges covered, crashes and the committed corpus.
failed=0
for target in "${targets[@]}"; do
    name="$(basename "$target")"
    log="build-fuzz/corpus/$name.log"
    status="$(cat "build-fuzz/corpus/$name.status")"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    edges="$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)"
    crashes="$(find "build-fuzz/artifacts/$name" -type f | wc -l)"
    corpus="$(find "fuzz/corpus/$name" -type f | wc -l)"
    echo "fuzz: $name: ${runs:-0} runs, ${edges:-0} edges, $crashes crashes, corpus $corpus files"
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log"
        echo "fuzz: $name failed (exit $status)"
        failed=1
    fi
done
exit "$failed"
