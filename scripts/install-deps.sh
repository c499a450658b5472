#!/usr/bin/env bash
# Installs the Debian 12 packages that the game, its tests, benchmarks and tools need.
# With --windows, also what the Windows build needs: the mingw-w64 cross compilers, Wine to run
# its programs, and GoogleTest's sources (scripts/build-windows.sh). With --web, what the browser
# build and its tests need: emscripten, Chromium and its driver, selenium (scripts/build-web.sh).
# Both flags may be given.
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
    # the format and analysis gates (scripts/format.sh, scripts/tidy.sh: version 14, pinned
    # by Debian 12) and the coverage report (scripts/coverage.sh)
    clang-format clang-tidy gcovr
    # packages for players (scripts/package.sh): CPack's dependency scan needs file
    file zip unzip desktop-file-utils
)
windows_packages=(
    # cross compilers, Wine (its 64-bit loader and the 32-bit side it starts with), and
    # dpkg-dev to unpack the libraries' Debian sources
    mingw-w64 wine64 wine dpkg-dev xz-utils
)
web_packages=(
    # the compiler (with its prebuilt system libraries), dpkg-dev to unpack the libraries'
    # Debian sources, and the browser the tests drive
    emscripten dpkg-dev xz-utils chromium chromium-driver python3-selenium
)
for flag in "$@"; do
    case "$flag" in
        --windows) packages+=("${windows_packages[@]}") ;;
        --web) packages+=("${web_packages[@]}") ;;
        *) echo "install-deps: unknown option $flag" >&2; exit 2 ;;
    esac
done

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
