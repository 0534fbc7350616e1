#!/usr/bin/env bash
# Configures and builds everything into build/ (warnings are errors).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBINOXA_WERROR=ON
cmake --build build
