#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time: fuzz.sh <build-dir> <seconds>
# Each target starts from its seed corpus in fuzz/corpus/<target>/ (copied, so runs never
# write into the repository). -max_len reaches past the seeds: a decompression bomb needs
# tens of kilobytes.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/$1"
seconds="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp:print_suppressions=0"
found=0
for target in "$build"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    found=1
    name="$(basename "$target")"
    mkdir -p "$work/$name"
    if [ -d "$top/fuzz/corpus/$name" ]; then
        cp -r "$top/fuzz/corpus/$name/." "$work/$name/"
    fi
    echo "fuzzing $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=131072 -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
        "$work/$name" > "$work/$name.log" 2>&1 || {
        tail -n 60 "$work/$name.log"
        echo "fuzz target $name failed"
        exit 1
    }
    grep -E '^#[0-9]+.*DONE' "$work/$name.log" | tail -n 1 || true
done
[ "$found" -eq 1 ] || echo "no fuzz targets built"
