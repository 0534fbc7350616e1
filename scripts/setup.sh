#!/usr/bin/env bash
# Installs every system package the build, the tests, the benchmarks, the fuzz
# targets and the demo need. Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ clang clang-format pkg-config
    # image files and the platform stand-ins
    libjpeg62-turbo-dev libpng-dev zlib1g-dev
    qt6-base-dev
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libxml2-dev
    # the public-domain console font the built-in 8x16 font is made from
    console-setup-linux
    # tests, benchmarks and fuzzing (xvfb-run needs xauth, only recommended by xvfb)
    googletest libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
    xvfb xauth xdotool imagemagick ffmpeg libjpeg-turbo-progs hyperfine libx11-dev
    # the bxpage tests serve pages from a small Python web server
    python3
    # the install test asks the desktop's MIME database
    shared-mime-info
    # the MPO tests check the files bxconvert writes with another reader
    libimage-exiftool-perl
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
