#!/usr/bin/env bash
# Cross-builds the Windows game with mingw-w64: installs what is missing, fetches and builds
# SDL2, libpng, zlib, simdjson and GoogleTest statically into a cache outside the checkout
# (built once per source and compiler version), then the game and its tests in build-win64/.
#   build-windows.sh [cmake options...]
# VOLK_WIN_DEPS overrides the libraries' prefix
# (default: ${XDG_CACHE_HOME:-$HOME/.cache}/volk5pellor/win64-<key>).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
jobs="$(nproc)"
toolchain="$top/cmake/mingw-w64.cmake"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/volk5pellor"

step_start=$SECONDS
step() {
    printf 'build-windows: %s (%d s)\n' "$1" "$((SECONDS - step_start))"
    step_start=$SECONDS
}

bash scripts/install-deps.sh --windows

# Debian has no mingw builds of the libraries, so they are built from Debian's own sources.
source "$top/scripts/debian-sources.sh"
sources=(libsdl2/bookworm libpng1.6/bookworm zlib/bookworm simdjson/bookworm)
debian_sources_prepare "$cache_root"

# The cache key: each source package's version, the compiler's and GoogleTest's, and this
# recipe's revision (raise it when the way the libraries are built changes).
recipe=1
dsc_names="$(debian_sources_dsc "${sources[@]}")"
compiler="$(x86_64-w64-mingw32-g++-posix -dumpfullversion) $(dpkg-query -W -f='${Version}' mingw-w64-common)"
gtest_version="$(dpkg-query -W -f='${Version}' googletest)"
key="$(printf '%s\n' "$dsc_names" "$compiler" "$gtest_version" "recipe $recipe" "$(cat "$toolchain")" |
    sha256sum | cut -c1-12)"
deps="${VOLK_WIN_DEPS:-$cache_root/win64-$key}"
step "sources and key ready: $deps"

# Builds one CMake project with the toolchain and installs it into $deps.
cross_build() {
    local name="$1" source="$2" work="$3"
    shift 3
    cmake -S "$source" -B "$work/build-$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DVOLK_WIN_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -DBUILD_SHARED_LIBS=OFF "$@" > "$work/$name-configure.log" 2>&1 || {
        cat "$work/$name-configure.log"
        return 1
    }
}

if [ ! -e "$deps/ready" ]; then
    work="$(mktemp -d "${TMPDIR:-/tmp}/volk-win-deps.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    rm -rf "$deps"
    mkdir -p "$deps/licenses"
    debian_sources_fetch "$work" "${sources[@]}"
    step "sources fetched"
    src() { debian_source_dir "$work" "$1"; }

    # NOTE: only the static zlib: Debian's tarball lacks the resource file the DLL needs.
    zlib="$(src zlib)"
    cross_build zlib "$zlib" "$work"
    cmake --build "$work/build-zlib" --target zlibstatic -j "$jobs" > "$work/zlib.log"
    mkdir -p "$deps/include" "$deps/lib"
    cp "$zlib/zlib.h" "$work/build-zlib/zconf.h" "$deps/include/"
    cp "$work/build-zlib/libzlibstatic.a" "$deps/lib/libz.a"
    cp "$zlib/LICENSE" "$deps/licenses/zlib.txt"
    step "zlib built"

    libpng="$(src libpng1.6)"
    cross_build libpng "$libpng" "$work" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$deps"
    cmake --build "$work/build-libpng" --target install -j "$jobs" > "$work/libpng.log"
    cp "$libpng/LICENSE" "$deps/licenses/libpng.txt"
    step "libpng built"

    sdl="$(src libsdl2)"
    cross_build SDL2 "$sdl" "$work" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    step "SDL2 configured"
    cmake --build "$work/build-SDL2" --target install -j "$jobs" > "$work/SDL2.log"
    cp "$sdl/LICENSE.txt" "$deps/licenses/SDL2.txt"
    step "SDL2 built"

    simdjson="$(src simdjson)"
    cross_build simdjson "$simdjson" "$work" -DSIMDJSON_DEVELOPER_MODE=OFF
    cmake --build "$work/build-simdjson" --target install -j "$jobs" > "$work/simdjson.log"
    cp "$simdjson/LICENSE" "$deps/licenses/simdjson.txt"
    step "simdjson built"

    cross_build googletest /usr/src/googletest "$work" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
    cmake --build "$work/build-googletest" --target install -j "$jobs" > "$work/googletest.log"
    step "GoogleTest built"

    printf '%s\n' "$dsc_names" "$compiler" "googletest $gtest_version" > "$deps/ready"
    rm -rf "$work"
    trap - EXIT
else
    step "libraries cached"
fi

# NOTE: the programs also hold mingw-w64's runtime and winpthreads, linked statically; their
# notices must travel with the .exe as well.
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$deps/licenses/mingw-w64.txt"

# The game and its tests, with the libraries above.
# The win64 preset: the toolchain file, and the prefix above through VOLK_WIN_DEPS.
VOLK_WIN_DEPS="$deps" bash scripts/build.sh win64 "$@"
step "game and tests built: build-win64/volk5pellor.exe"
