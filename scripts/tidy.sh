#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy over every source file of src/ and fails on any finding:
#   tidy.sh [build-dir]
# The compile commands come from the build directory (default: build/, the dev preset's), which
# is configured first when it has none.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${1:-build}"
tool="${CLANG_TIDY:-clang-tidy}"
command -v "$tool" > /dev/null || {
    echo "tidy: $tool is not installed (bash scripts/install-deps.sh)" >&2
    exit 1
}
if [ ! -f "$build/compile_commands.json" ]; then
    [ "$build" = build ] || {
        echo "tidy: no compile_commands.json in $build" >&2
        exit 1
    }
    cmake --preset dev > /dev/null
fi
# The sources this build compiles (the other platform's file is not in its commands).
mapfile -t files < <(sed -n 's/^ *"file": "\(.*\/src\/.*\.cpp\)",\{0,1\}$/\1/p' \
    "$build/compile_commands.json" | sort -u)
[ "${#files[@]}" -gt 0 ] || {
    echo "tidy: no source of src/ in $build/compile_commands.json" >&2
    exit 1
}
log="$build/tidy.log"
start=$SECONDS
# NOTE: one clang-tidy per file, as many at once as there are cores; -quiet keeps the count of
# suppressed warnings out, so the log holds findings only.
if ! printf '%s\0' "${files[@]}" |
        xargs -0 -n 1 -P "$(nproc)" "$tool" -quiet -p "$build" > "$log" 2>&1; then
    grep -E 'warning:|error:' "$log" >&2 || cat "$log" >&2
    echo "tidy: $(grep -cE '(warning|error):' "$log") findings in src/ (all of them: $log)" >&2
    exit 1
fi
echo "tidy: ${#files[@]} files of src/, no findings ($((SECONDS - start)) s)"
