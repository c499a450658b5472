#!/usr/bin/env bash
# Soak run of the real game under a private X server: soak.sh [seconds] [seed]
# Uses a debug build, which reports GL errors; the build is brought up to date first. Ten minutes:
#   bash scripts/soak.sh 600
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
bash scripts/build.sh debug -- --target volk5pellor > /dev/null
exec python3 tests/e2e/soak.py build-debug/volk5pellor "${1:-60}" ${2:+"$2"}
