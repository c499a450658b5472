#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it from the repository root.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
bash scripts/install-deps.sh
# The release preset's own build directory: the tests' build/ is left alone, and only the game
# is built.
bash scripts/build.sh release -- --target volk5pellor
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: running the game on a private Xvfb server (nothing to see;"
    echo "scripts/screenshot.py takes pictures of it). Stop it with Ctrl-C."
    exec xvfb-run -a -s "-screen 0 1280x720x24" ./build-release/volk5pellor
fi
exec ./build-release/volk5pellor
