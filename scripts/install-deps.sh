#!/usr/bin/env bash
# Installs the Debian 12 packages that the game, its tests, benchmarks and tools need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
    # build
    build-essential cmake pkg-config git
    # libraries the game links
    libsdl2-dev libgl1-mesa-dev libgl1-mesa-dri libegl-mesa0 libpng-dev libsimdjson-dev
    # tests and benchmarks
    libgtest-dev googletest libbenchmark-dev python3
    # end-to-end tests: a private X server, window inspection, keys and screenshots
    xvfb xauth x11-utils xdotool imagemagick
    # the core X fonts SDL's error box draws with; without them no box can be shown
    xfonts-base
    # fuzzing (libFuzzer ships with clang's runtime)
    clang libclang-rt-14-dev
    # packages for players (scripts/package.sh): CPack's dependency scan needs file
    file zip unzip desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
