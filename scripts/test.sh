#!/usr/bin/env bash
# Runs every check: the fuzz targets for a short time, the tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then all tests as shipped.
# The end-to-end tests (Xvfb, the installed tree) run once, as shipped.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/fuzz.sh

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBINOXA_WERROR=ON \
    -DBINOXA_SANITIZE=ON -DBINOXA_BENCH=OFF
cmake --build build-sanitize
(cd build-sanitize &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1 \
        LSAN_OPTIONS=suppressions="$PWD/../scripts/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --label-exclude end-to-end)

scripts/build.sh
(cd build && ctest --output-on-failure)
