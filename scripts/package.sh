#!/usr/bin/env bash
# Makes the packages players download, under dist/:
#   volk5pellor_<version>_amd64.deb   for Debian 12: a Release build through CPack's DEB
#                                     generator and the install rules in cmake/Packaging.cmake
#   volk5pellor-<version>-win64.zip   the Windows build of scripts/build-windows.sh with its
#                                     data/, README.txt for players and the libraries' licences
#   volk5pellor-<version>-web.zip     the page of scripts/build-web.sh: a folder any static web
#                                     host serves as it is, README.txt and the licences
# The version is the one in CMakeLists.txt's project(); nothing else holds it.
#
#   bash scripts/package.sh [--deb | --zip | --web]     (default: all three)
#   bash scripts/package.sh --version           prints the version and does nothing else
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

want_deb=1
want_zip=1
want_web=1
only_version=0
case "${1:-}" in
    "") ;;
    --version) only_version=1 ;;
    --deb) want_zip=0; want_web=0 ;;
    --zip) want_deb=0; want_web=0 ;;
    --web) want_deb=0; want_zip=0 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "package: unknown option $1 (see --help)" >&2; exit 2 ;;
esac

say() { printf 'package: %s\n' "$*"; }
die() { say "$*" >&2; exit 1; }

if [ "$only_version" -eq 0 ]; then
    bash scripts/install-deps.sh
fi

# The Linux build is configured in any case: its CPack configuration is where the version is
# read from.
# NOTE: the release preset's CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack would otherwise build
# every target, the tools included, before installing the one program the package holds.
build=build-release
mkdir -p "$build"
cmake --preset release > "$build/configure.log" 2>&1 || {
    cat "$build/configure.log"
    exit 1
}
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
[ -n "$version" ] || die "no CPACK_PACKAGE_VERSION in $build/CPackConfig.cmake"
if [ "$only_version" -eq 1 ]; then
    echo "$version"
    exit 0
fi
mkdir -p dist

if [ "$want_deb" -eq 1 ]; then
    deb="volk5pellor_${version}_amd64.deb"
    say "building $deb"
    cmake --build "$build" -j "$(nproc)" --target volk5pellor
    rm -rf "$build/cpack"
    (cd "$build" && cpack -G DEB -B "$top/$build/cpack" > cpack.log 2>&1) || {
        cat "$build/cpack.log"
        die "cpack failed"
    }
    [ -f "$build/cpack/$deb" ] || die "cpack did not write $deb (see $build/cpack.log)"
    mv -f "$build/cpack/$deb" "dist/$deb"
    say "wrote dist/$deb ($(stat -c %s "dist/$deb") bytes)"
    dpkg-deb --field "dist/$deb" Depends | sed 's/^/package:   Depends: /'
fi

if [ "$want_web" -eq 1 ]; then
    web_name="volk5pellor-${version}-web"
    say "building $web_name.zip"
    bash scripts/build-web.sh
    web_stage="$(mktemp -d)"
    web_root="$web_stage/$web_name"
    mkdir -p "$web_root/licenses"
    for file in index.html volk5pellor.js volk5pellor.wasm volk5pellor.data; do
        [ -s "build-web/$file" ] || die "scripts/build-web.sh wrote no build-web/$file"
        cp "build-web/$file" "$web_root/"
    done
    cp packaging/web/README.txt "$web_root/"
    web_deps="$(cat build-web/deps-prefix)"
    for library in SDL2 libpng zlib simdjson; do
        [ -s "$web_deps/licenses/$library.txt" ] ||
            die "no licence of $library in $web_deps/licenses"
        cp "$web_deps/licenses/$library.txt" "$web_root/licenses/"
    done
    rm -f "dist/$web_name.zip"
    (cd "$web_stage" && zip -q -r -X "$top/dist/$web_name.zip" "$web_name")
    rm -rf "$web_stage"
    say "wrote dist/$web_name.zip ($(stat -c %s "dist/$web_name.zip") bytes)"
fi

if [ "$want_zip" -eq 1 ]; then
    zip_name="volk5pellor-${version}-win64"
    if [ ! -f scripts/build-windows.sh ]; then
        say "NOTE: the Windows build is missing (no scripts/build-windows.sh here): $zip_name.zip is not made"
        exit 0
    fi
    say "building $zip_name.zip"
    bash scripts/build-windows.sh
    win_build=build-win64
    [ -f "$win_build/volk5pellor.exe" ] || die "scripts/build-windows.sh wrote no $win_build/volk5pellor.exe"
    stage="$(mktemp -d)"
    trap 'rm -rf "$stage"' EXIT
    root="$stage/$zip_name"
    # The install rules of cmake/Packaging.cmake, as for the .deb: the .exe beside data/,
    # README.txt and the libraries' licences.
    cmake --install "$win_build" --prefix "$root" --strip > "$stage/install.log" || {
        cat "$stage/install.log"
        die "cmake --install $win_build failed"
    }
    for needed in volk5pellor.exe data/shaders README.txt; do
        [ -e "$root/$needed" ] || die "$needed is missing from the installed Windows tree"
    done
    for library in SDL2 libpng zlib simdjson; do
        [ -s "$root/licenses/$library.txt" ] ||
            die "no licence of $library (licenses/$library.txt) in the installed Windows tree"
    done
    # NOTE: -X leaves out the owner ids and extra times a Windows unzip has no use for.
    rm -f "dist/$zip_name.zip"
    (cd "$stage" && zip -q -r -X "$top/dist/$zip_name.zip" "$zip_name")
    say "wrote dist/$zip_name.zip ($(stat -c %s "dist/$zip_name.zip") bytes)"
fi
