#!/usr/bin/env bash
# Builds the game for the browser with Debian's emscripten: installs what is missing, fetches
# and builds SDL2, libpng, zlib and simdjson for wasm32 into a cache outside the checkout (built
# once per source and compiler version), then the page in build-web/ (index.html, .js, .wasm
# and the packed data).
#   build-web.sh [--libraries] [cmake options...]     (--libraries: stop after the libraries)
# VOLK_WEB_DEPS overrides the libraries' prefix
# (default: ${XDG_CACHE_HOME:-$HOME/.cache}/volk5pellor/web-<key>).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
jobs="$(nproc)"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/volk5pellor"
only_libraries=0
if [ "${1:-}" = "--libraries" ]; then
    only_libraries=1
    shift
fi

step_start=$SECONDS
step() {
    printf 'build-web: %s (%d s)\n' "$1" "$((SECONDS - step_start))"
    step_start=$SECONDS
}

bash scripts/install-deps.sh --web

# NOTE: Debian's emscripten loads its JavaScript modules (acorn, for every link) from Debian's
# node folder; a node of another origin on the PATH does not look there.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export PATH="/usr/bin:$PATH"

# emscripten's ports (its own SDL2, zlib, libpng) download into a cache that Debian ships
# frozen, so the libraries are built from Debian's own sources, as for Windows.
source "$top/scripts/debian-sources.sh"
sources=(libsdl2/bookworm libpng1.6/bookworm zlib/bookworm simdjson/bookworm)
debian_sources_prepare "$cache_root"

# The cache key: each source package's version, the compiler's, and this recipe's revision
# (raise it when the way the libraries are built changes).
recipe=1
dsc_names="$(debian_sources_dsc "${sources[@]}")"
compiler="emscripten $(dpkg-query -W -f='${Version}' emscripten)"
key="$(printf '%s\n' "$dsc_names" "$compiler" "recipe $recipe" | sha256sum | cut -c1-12)"
deps="${VOLK_WEB_DEPS:-$cache_root/web-$key}"
step "sources and key ready: $deps"

# Builds one CMake project for wasm32 and installs it into $deps. The libraries are built for
# size: everything a player downloads counts.
web_build() {
    local name="$1" source="$2" work="$3"
    shift 3
    emcmake cmake -S "$source" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_FIND_ROOT_PATH="$deps" -DBUILD_SHARED_LIBS=OFF \
        "$@" > "$work/$name-configure.log" 2>&1 || {
        cat "$work/$name-configure.log"
        return 1
    }
    cmake --build "$work/build-$name" --target install -j "$jobs" > "$work/$name.log" 2>&1 || {
        tail -n 50 "$work/$name.log"
        return 1
    }
}

if [ ! -e "$deps/ready" ]; then
    work="$(mktemp -d "${TMPDIR:-/tmp}/volk-web-deps.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    rm -rf "$deps"
    mkdir -p "$deps/licenses" "$deps/include" "$deps/lib"
    debian_sources_fetch "$work" "${sources[@]}"
    step "sources fetched"
    src() { debian_source_dir "$work" "$1"; }

    # NOTE: zlib's own CMake wants the Windows resource file Debian's tarball lacks; its
    # fifteen C files are compiled directly instead.
    zlib="$(src zlib)"
    mkdir -p "$work/build-zlib"
    for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
        inflate inftrees trees uncompr zutil; do
        emcc -Os -DHAVE_UNISTD_H -c "$zlib/$file.c" -o "$work/build-zlib/$file.o"
    done
    emar rcs "$deps/lib/libz.a" "$work"/build-zlib/*.o
    cp "$zlib/zlib.h" "$zlib/zconf.h" "$deps/include/"
    cp "$zlib/LICENSE" "$deps/licenses/zlib.txt"
    step "zlib built"

    libpng="$(src libpng1.6)"
    web_build libpng "$libpng" "$work" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$deps" -DZLIB_LIBRARY="$deps/lib/libz.a" \
        -DZLIB_INCLUDE_DIR="$deps/include"
    cp "$libpng/LICENSE" "$deps/licenses/libpng.txt"
    step "libpng built"

    simdjson="$(src simdjson)"
    web_build simdjson "$simdjson" "$work" -DSIMDJSON_DEVELOPER_MODE=OFF
    cp "$simdjson/LICENSE" "$deps/licenses/simdjson.txt"
    step "simdjson built"

    # NOTE: SDL's configure is most of the cold build (each of its checks is a full emcc
    # link). The game uses only SDL's video and events: the other subsystems stay out of the
    # download.
    sdl="$(src libsdl2)"
    web_build SDL2 "$sdl" "$work" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF -DSDL_HIDAPI=OFF
    cp "$sdl/LICENSE.txt" "$deps/licenses/SDL2.txt"
    step "SDL2 built"

    printf '%s\n' "$dsc_names" "$compiler" > "$deps/ready"
    rm -rf "$work"
    trap - EXIT
else
    step "libraries cached"
fi
if [ "$only_libraries" = 1 ]; then
    exit 0
fi

# The page, with the libraries above: the web preset (emscripten's toolchain file, the prefix
# through VOLK_WEB_DEPS). The program's own code is compiled with -Werror, as every other build.
VOLK_WEB_DEPS="$deps" bash scripts/build.sh web "$@"
printf '%s\n' "$deps" > build-web/deps-prefix
step "page built: build-web/index.html"
