#!/usr/bin/env bash
# Formats the C++ sources with clang-format and the style in .clang-format:
#   format.sh          rewrites every file that differs
#   format.sh --check  changes nothing; lists each file that would change and fails if any would
# Only clang-format 14 (Debian 12's, from install-deps.sh) is accepted: another version formats
# some constructs differently, and the check would then fail on a tree that is clean.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) echo "usage: format.sh [--check]" >&2; exit 2 ;;
esac

tool="${CLANG_FORMAT:-clang-format}"
command -v "$tool" > /dev/null || {
    echo "format: $tool is not installed (bash scripts/install-deps.sh)" >&2
    exit 1
}
version="$("$tool" --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p')"
[ "$version" = 14 ] || {
    echo "format: clang-format 14 wanted, found $("$tool" --version)" >&2
    exit 1
}

# The committed C++ files, and new ones not yet added; never the build directories.
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    '*.cpp' '*.h' | sort -u)
if [ "$check" -eq 0 ]; then
    printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$tool" -i --style=file
    exit 0
fi

differ=0
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! "$tool" --style=file "$file" | cmp -s "$file" -; then
        places="$("$tool" --style=file "$file" | diff "$file" - | grep -c '^[0-9]' || true)"
        echo "format: $file differs in $places place$([ "$places" -eq 1 ] || echo s)"
        differ=$((differ + 1))
    fi
done
if [ "$differ" -gt 0 ]; then
    echo "format: $differ of ${#files[@]} files differ from .clang-format; bash scripts/format.sh fixes them" >&2
    exit 1
fi
echo "format: ${#files[@]} files formatted"
