#!/usr/bin/env bash
# Configures and builds one preset of CMakePresets.json in its own build directory:
#   build.sh <preset> [cmake options...] [-- build options...]
# e.g. build.sh release -- --target volk5pellor. The configure output goes to configure.log in
# the build directory and is shown only when configuring fails.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
preset="${1:?usage: build.sh <preset> [cmake options...] [-- build options...]}"
shift
configure=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    configure+=("$1")
    shift
done
[ $# -eq 0 ] || shift
log="$(mktemp)"
if ! cmake --preset "$preset" "${configure[@]}" > "$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    exit 1
fi
dir="$(sed -n 's/^-- Build files have been written to: //p' "$log" | tail -n 1)"
if [ -d "$dir" ]; then
    mv -f "$log" "$dir/configure.log"
else
    rm -f "$log"
fi
cmake --build --preset "$preset" -j "$(nproc)" "$@"
