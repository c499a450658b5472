#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the unit, render and end-to-end
# tests; the same tests under AddressSanitizer + UndefinedBehaviorSanitizer; the fuzz targets
# for a bounded time; the soak run of the real game; the Windows build under Wine; the browser
# build's page in headless Chromium; and the packages for players, installed on this machine
# (as root or through sudo) and purged again.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
jobs="$(nproc)"

stage() { printf '\n=== %s ===\n' "$*"; }

# NOTE: a test that fails is run once more, only as a safety net: a pass on the second try
# still names the test on a FLAKY line, here and again at the end, as a fault to find.
flaky=()
report_flaky() {
    printf '\n*** FLAKY: %s passed only on its second try ***\n' "$1"
    flaky+=("$1")
}

# What each build's tests came to: "<build>: N passed, N failed, N skipped", and the skipped
# tests by name. A skipped test is one that cannot run in that build (it says why in its
# output); it is counted apart, never as a pass.
summaries=()
skipped=()
count_results() {
    local dir="$1" junit="$1/Testing/results.xml" passed failed notrun name
    [ -f "$junit" ] || return 0
    passed="$(grep -c 'status="run"' "$junit" || true)"
    failed="$(grep -c 'status="fail"' "$junit" || true)"
    notrun="$(grep -c 'status="notrun"' "$junit" || true)"
    summaries+=("$dir: $passed passed, $failed failed, $notrun skipped")
    printf '%s: %d passed, %d failed, %d skipped\n' "$dir" "$passed" "$failed" "$notrun"
    while read -r name; do
        skipped+=("$name ($dir)")
    done < <(sed -n 's/.*<testcase name="\([^"]*\)".*status="notrun".*/\1/p' "$junit")
}

# Runs one test preset's tests (its build directory is the second argument), then the failed
# ones once more.
run_ctest() {
    local preset="$1" dir="$2" status=0
    local failed="$dir/Testing/Temporary/LastTestsFailed.log"
    rm -f "$failed" "$failed.first" "$dir/Testing/results.xml"
    # An empty test list is a failure, not a pass (the presets say --no-tests=error).
    if ctest --preset "$preset" -j "$jobs" --output-junit "$top/$dir/Testing/results.xml"; then
        count_results "$dir"
        return 0
    fi
    count_results "$dir"
    # No list: ctest itself failed, not a test.
    [ -s "$failed" ] || return 1
    cp "$failed" "$failed.first"
    printf '\n*** %s: running the failed tests once more: %s ***\n' "$dir" \
        "$(cut -d: -f2- "$failed.first" | tr '\n' ' ')"
    ctest --preset "$preset" --rerun-failed || status=$?
    # NOTE: ctest rewrites the list only when something failed; after a clean rerun it is stale.
    while IFS=: read -r _ name; do
        if [ "$status" -eq 0 ] || ! cut -d: -f2- "$failed" | grep -Fxq "$name"; then
            report_flaky "$name ($dir)"
        fi
    done < "$failed.first"
    return "$status"
}

stage "install"
bash scripts/install-deps.sh

stage "format (scripts/format.sh --check)"
bash scripts/format.sh --check

stage "build, analysis and test"
# The presets of CMakePresets.json; every build directory belongs to one of them.
# NOTE: the analysis reads only the compile commands, so it runs before the (longer) build.
cmake --preset dev > /dev/null
bash scripts/tidy.sh build
bash scripts/build.sh dev
run_ctest dev build

stage "build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
# The asan test preset carries the sanitizer options.
bash scripts/build.sh asan
run_ctest asan build-asan

if command -v clang++ > /dev/null; then
    stage "fuzz"
    bash scripts/build.sh fuzz
    bash scripts/fuzz.sh build-fuzz "${VOLK_FUZZ_SECONDS:-15}"
else
    stage "fuzz skipped: clang is not installed"
fi

if [ -x scripts/soak.sh ]; then
    stage "soak"
    if ! bash scripts/soak.sh "${VOLK_SOAK_SECONDS:-60}"; then
        printf '\n*** the soak failed; running it once more (the first run is above) ***\n'
        bash scripts/soak.sh "${VOLK_SOAK_SECONDS:-60}"
        report_flaky "the soak"
    fi
fi

stage "Windows build (mingw-w64), tests under Wine"
bash scripts/build-windows.sh
source scripts/test-windows.sh
wine_prepare
trap wine_end EXIT
run_ctest win64 build-win64
wine_end
trap - EXIT

stage "browser build (emscripten), the page in headless Chromium on SwiftShader and llvmpipe"
bash scripts/build-web.sh
# NOTE: Debian's python3, whose selenium drives Debian's chromedriver; a python3 of another
# origin earlier on the PATH has no selenium.
for renderer in swiftshader llvmpipe; do
    if ! /usr/bin/python3 tests/web/test_page.py build-web build/volk5pellor --renderer "$renderer"; then
        printf '\n*** the page on %s failed; running it once more (the first run is above) ***\n' \
            "$renderer"
        /usr/bin/python3 tests/web/test_page.py build-web build/volk5pellor --renderer "$renderer"
        report_flaky "the page on $renderer"
    fi
done

stage "packages for players: built, installed, run and purged"
bash scripts/test-packages.sh

stage "tests: passed and skipped"
printf '%s\n' "${summaries[@]}"
for name in "${skipped[@]}"; do
    printf 'SKIPPED: %s\n' "$name"
done

if [ "${#flaky[@]}" -gt 0 ]; then
    stage "all stages passed, but only on a second try for ${#flaky[@]}"
    for name in "${flaky[@]}"; do
        printf 'FLAKY: %s passed only on its second try\n' "$name"
    done
    exit 0
fi
stage "all stages passed"
