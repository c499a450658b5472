#!/usr/bin/env bash
# Line, branch and function coverage of src/ by the tests: builds the coverage preset (gcc
# --coverage, in build-coverage/), runs its tests and writes
#   build-coverage/coverage/summary.txt   gcovr's text summary, one line per file (lines)
#   build-coverage/coverage/branches.txt  the same for branches
#   build-coverage/coverage/folders.txt   the same per folder of src/ (the README's table)
#   build-coverage/coverage/index.html    the HTML report, per file and line
#   coverage.sh [ctest options...]        e.g. coverage.sh -LE e2e for the fast tier only
# NOTE: branches that only an exception thrown by the standard library takes (an allocation
# failing inside std::string) are left out of the branch figures (--exclude-throw-branches);
# the program's own catch blocks still count as lines.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build=build-coverage
out="$build/coverage"
command -v gcovr > /dev/null || {
    echo "coverage: gcovr is not installed (bash scripts/install-deps.sh)" >&2
    exit 1
}
# Counts of an earlier run would add up with this one's, and counts of objects rebuilt since
# would not match them; those of the test listing at build time are not the tests' either.
[ ! -d "$build" ] || find "$build" -name '*.gcda' -delete
bash scripts/build.sh coverage
find "$build" -name '*.gcda' -delete
# A failing test still leaves its counts; the report is written either way and the status kept.
status=0
ctest --preset coverage -j "$(nproc)" "$@" || status=$?
rm -rf "$out"
mkdir -p "$out"
# NOTE: CMakeFiles/<version> holds CMake's compiler checks, compiled with the flags but never
# run: without the exclusion gcovr warns about each.
gcovr_options=(--root "$top" --filter "$top/src/" --exclude-throw-branches
    --exclude-unreachable-branches --object-directory "$top/$build"
    --exclude-directories "$top/$build/CMakeFiles/[0-9]")
gcovr "${gcovr_options[@]}" --txt "$out/summary.txt" --html-details "$out/index.html" \
    --json "$out/coverage.json" --print-summary | tail -n 3
gcovr "${gcovr_options[@]}" --branches --txt "$out/branches.txt"
python3 - "$out/coverage.json" > "$out/folders.txt" <<'PY'
import collections, json, sys
totals = collections.defaultdict(lambda: [0] * 6)
for entry in json.load(open(sys.argv[1]))["files"]:
    folder = "/".join(entry["file"].split("/")[:2])
    t = totals[folder]
    for line in entry["lines"]:
        if line.get("gcovr/noncode"):
            continue
        t[0] += 1
        t[1] += line["count"] > 0
        for branch in line.get("branches", []):
            t[2] += 1
            t[3] += branch["count"] > 0
    for function in entry.get("functions", []):
        t[4] += 1
        t[5] += function["execution_count"] > 0
def share(hit, total):
    return f"{100.0 * hit / total:5.1f} %" if total else "    -  "
print(f"{'folder':12} {'lines':>20} {'branches':>20} {'functions':>18}")
for folder in sorted(totals):
    t = totals[folder]
    print(f"{folder:12} {share(t[1], t[0])} {t[1]:5}/{t[0]:<5} {share(t[3], t[2])} "
          f"{t[3]:5}/{t[2]:<5} {t[5]:5}/{t[4]:<5}")
PY
cat "$out/folders.txt"
echo "coverage: $out/summary.txt, branches.txt, folders.txt and index.html"
exit "$status"
