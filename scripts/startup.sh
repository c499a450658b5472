#!/usr/bin/env bash
# Start-up time of the game under a private X server: startup.sh [runs] [build-dir]
# Medians over the runs (default 7) of:
#   - tools/startup_profile: main's start-up sequence clocked phase by phase to the first
#     swapped frame, and (--split) the asset loading split into textures, meshes and shaders;
#   - the real executable: process start to its first swapped frame (method below).
# Each set is taken twice: with Mesa's shader cache as it is (every run after the first on a
# machine) and with the cache disabled (a machine's very first run).
# Without a build directory, the release preset's build-release is brought up to date first.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
runs="${1:-7}"
dir="${2:-}"
if [ -z "$dir" ]; then
    dir=build-release
    bash scripts/build.sh release > /dev/null
fi
exec python3 "$top/scripts/startup.py" "$top" "$top/$dir" "$runs"
