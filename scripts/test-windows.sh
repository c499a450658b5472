#!/usr/bin/env bash
# Runs the Windows build's tests (scripts/build-windows.sh first) under Wine, each test program
# on an X server of its own: test-windows.sh [ctest options...]
# Sourced (by run-tests.sh), it only defines wine_prepare and wine_end.
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
wine_run=("python3" "$top/tests/e2e/wine_run.py" --prefix "$top/build-win64/wine")

# NOTE: a new Wine prefix takes some ten seconds; made here, before tests run in parallel.
wine_prepare() { "${wine_run[@]}" --init; }
# Ends every Wine process of the prefix: Wine's own helpers outlive the programs.
wine_end() { "${wine_run[@]}" --end; }

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    wine_prepare
    trap wine_end EXIT
    cd "$top"
    ctest --preset win64 -j "$(nproc)" "$@"
fi
