#!/usr/bin/env bash
# Makes the packages (scripts/package.sh) and checks them as players get them:
#   - the .deb is installed on this machine with apt-get (so its Depends are resolved), the
#     game is started through /usr/games/volk5pellor from another folder under Xvfb
#     (tests/e2e/installed_game.py), then the package is purged and nothing of it may remain;
#   - the Windows zip, when there is a Windows build, is unpacked into a new folder and the
#     .exe is run there under Wine the same way;
#   - the web zip is unpacked, served from 127.0.0.1 and played in headless Chromium.
# Prints the time install and purge took. Needs root or sudo: it installs and removes the
# volk5pellor package, and purges it at the end however the run ends.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
package=volk5pellor

say() { printf 'test-packages: %s\n' "$*"; }
die() { say "FAIL: $*" >&2; exit 1; }

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null || die "needs root or sudo to install the package"
    sudo="sudo"
fi
# NOTE: waits for another apt or dpkg run to finish instead of failing on its lock.
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -q "$@"; }

# "installed", "config-files" (removed, not purged), ... or nothing when dpkg knows no such package.
package_state() { dpkg-query -W -f='${db:Status-Status}' "$package" 2> /dev/null || true; }

# Purges the package in whatever state it is; $1 says why.
purge_if_present() {
    local state
    state="$(package_state)"
    if [ -n "$state" ] && [ "$state" != "not-installed" ]; then
        say "purging $package ($state) $1"
        apt_get purge "$package" > /dev/null
    fi
}

seconds_since() { awk -v now="$(date +%s.%N)" -v then="$1" 'BEGIN { printf "%.1f", now - then }'; }

unpacked=""  # the folder the zip is unpacked into
web_unpacked=""  # the same for the web zip
finish() {
    purge_if_present "as the run ends"
    [ -z "$web_unpacked" ] || rm -rf "$web_unpacked"
    if [ -n "$unpacked" ]; then
        python3 tests/e2e/wine_run.py --prefix "$unpacked/wine" --end 2> /dev/null || true
        rm -rf "$unpacked"
    fi
}

purge_if_present "left by an earlier run"
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

build_start="$(date +%s.%N)"
bash scripts/package.sh
say "package.sh took $(seconds_since "$build_start") s"
version="$(bash scripts/package.sh --version)"
deb="dist/${package}_${version}_amd64.deb"
zip="dist/${package}-${version}-win64.zip"
[ -f "$deb" ] || die "package.sh wrote no $deb"

# DLLs that come with Windows itself (and with Wine).
windows_dlls='kernel32\.dll|user32\.dll|gdi32\.dll|opengl32\.dll|msvcrt\.dll|advapi32\.dll|shell32\.dll|ole32\.dll|oleaut32\.dll|imm32\.dll|version\.dll|winmm\.dll|setupapi\.dll|cfgmgr32\.dll|hid\.dll|dinput8\.dll|xinput1_[0-9]\.dll|api-ms-win-[a-z0-9-]+\.dll|ucrtbase\.dll'

failures=0
check() {
    local message="$1"
    shift
    if "$@"; then
        say "ok: $message"
    else
        say "FAIL: $message"
        failures=$((failures + 1))
    fi
}

# --- the Debian package ---------------------------------------------------------------------
start="$(date +%s.%N)"
apt_get install "./$deb" > /dev/null
say "installed $deb ($(stat -c %s "$deb") bytes) in $(seconds_since "$start") s"
mapfile -t owned < <(dpkg-query -L "$package")
check "dpkg says $package $version is installed" \
    test "$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$package")" = "installed $version"
for path in /usr/games/$package /usr/lib/games/$package/$package \
        /usr/share/games/$package/data/shaders/basic-fixed.vert \
        /usr/share/icons/hicolor/64x64/apps/$package.png \
        /usr/share/icons/hicolor/128x128/apps/$package.png; do
    check "$path is installed" test -s "$path"
done
check "the menu entry is valid" desktop-file-validate /usr/share/applications/$package.desktop
check "the menu entry starts the launcher" \
    grep -qx "Exec=\"/usr/games/$package\"" /usr/share/applications/$package.desktop
check "the installed game runs from another folder" \
    python3 tests/e2e/installed_game.py /usr/games/$package

start="$(date +%s.%N)"
apt_get purge "$package" > /dev/null
say "purged $package in $(seconds_since "$start") s"
check "dpkg says $package is not installed" \
    test -z "$(package_state | grep -vx not-installed)"
# NOTE: a folder the package shared with others (/usr/share/icons/...) stays, and must.
left=()
for path in "${owned[@]}"; do
    [ "$path" != "/." ] || continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" > /dev/null 2>&1; then
        continue
    fi
    left+=("$path")
done
check "nothing of the package is left (${#left[@]} paths: ${left[*]:-none})" test ${#left[@]} -eq 0

# --- the Windows zip ------------------------------------------------------------------------
if [ ! -f scripts/build-windows.sh ]; then
    say "NOTE: the Windows build is missing (no scripts/build-windows.sh): the zip is not checked"
elif [ ! -f "$zip" ]; then
    check "package.sh wrote $zip" false
else
    unpacked="$(mktemp -d)"
    unzip -q "$zip" -d "$unpacked"
    folder="$unpacked/$package-$version-win64"
    for name in volk5pellor.exe README.txt data/shaders/basic-fixed.vert \
            licenses/SDL2.txt licenses/libpng.txt licenses/zlib.txt licenses/simdjson.txt; do
        check "the zip holds $name" test -s "$folder/$name"
    done
    # Static: the .exe imports only what every Windows has, and no DLL travels with it.
    imports="$(x86_64-w64-mingw32-objdump -p "$folder/volk5pellor.exe" |
        sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')"
    foreign="$(printf '%s\n' $imports | grep -vxE "$windows_dlls" | tr '\n' ' ' || true)"
    check "the .exe needs no DLL of its own (imports: $imports)" test -z "$foreign"
    check "the zip holds no DLL" test -z "$(find "$folder" -iname '*.dll')"
    # A prefix of its own beside the game's folder: the player's folder stays as unpacked.
    python3 tests/e2e/wine_run.py --prefix "$unpacked/wine" --init
    check "the zip's game runs under Wine from its own folder" \
        env WINEPREFIX="$unpacked/wine" python3 tests/e2e/installed_game.py "$folder/volk5pellor.exe"
fi

# --- the web zip ---------------------------------------------------------------------------
web_zip="dist/$package-$version-web.zip"
if [ ! -f "$web_zip" ]; then
    check "package.sh wrote $web_zip" false
else
    web_unpacked="$(mktemp -d)"
    unzip -q "$web_zip" -d "$web_unpacked"
    web_folder="$web_unpacked/$package-$version-web"
    for name in index.html volk5pellor.js volk5pellor.wasm volk5pellor.data README.txt \
            licenses/SDL2.txt licenses/libpng.txt licenses/zlib.txt licenses/simdjson.txt; do
        check "the web zip holds $name" test -s "$web_folder/$name"
    done
    # Served as it is from 127.0.0.1, it plays in headless Chromium (Debian's python3 and
    # selenium drive it).
    check "the web zip's page plays in headless Chromium" \
        /usr/bin/python3 tests/web/test_page.py "$web_folder" --plays --renderer swiftshader
fi

if [ "$failures" -gt 0 ]; then
    die "$failures checks failed"
fi
say "all checks passed"
