"""Figures of the browser build (not a test: it prints numbers, it passes nothing):
  - frame time at 1280 x 720, start-up view: the page in headless Chromium on llvmpipe (Xvfb,
    ANGLE on Mesa's GL) and the Linux build on the same kind of Xvfb, runs taken in turn;
  - the first frame after navigation: median of fresh-profile loads (SwiftShader and llvmpipe);
  - everything a player downloads, gzip -9 (what a web server's compression sends).

Usage (from the repository root, after scripts/build-web.sh and a Linux build):
  /usr/bin/python3 bench/web_page.py [BUILD_WEB] [NATIVE_EXE] [--rounds 3] [--loads 5]"""
import argparse
import gzip
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "web"))
from browser import HEIGHT, WIDTH, Browser, Server  # noqa: E402
from xharness import FRAME_LINE, Game, XServer  # noqa: E402

WARM_UP_LINES = 2  # the first frames compile shaders and fill caches
MEASURED_LINES = 10  # 100 frames


def values(lines):
    return [float(v) for line in lines for v in line.split()]


def native_frames(native):
    with XServer(width=WIDTH + 200, height=HEIGHT + 200) as x, Game(native, x.env) as game:
        game.wait_for_window(x)
        game.wait_for_lines(WARM_UP_LINES + MEASURED_LINES, pattern=FRAME_LINE, timeout=120)
        lines = [text for _, text in game.output_lines() if FRAME_LINE.match(text)]
    return values(lines[WARM_UP_LINES:WARM_UP_LINES + MEASURED_LINES])


def page_frames(folder):
    with XServer(width=WIDTH, height=HEIGHT) as x, Server(folder) as server, \
            Browser("llvmpipe", dict(x.env)) as browser:
        browser.open(server.url)
        browser.wait_for(lambda: len(browser.frame_lines()) >= WARM_UP_LINES + MEASURED_LINES,
                         "frame lines", timeout=120)
        lines = browser.frame_lines()
    return values(lines[WARM_UP_LINES:WARM_UP_LINES + MEASURED_LINES])


def first_frame(folder, renderer):
    x = XServer(width=WIDTH, height=HEIGHT) if renderer == "llvmpipe" else None
    env = dict(x.env) if x else {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    try:
        with Server(folder) as server, Browser(renderer, env) as browser:
            browser.open(server.url)
            return browser.wait_for(lambda: browser.js("return window.volkFirstFrame;"),
                                    "the first frame") / 1000.0
    finally:
        if x:
            x.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build-web")
    parser.add_argument("native", nargs="?", default="build/volk5pellor")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--loads", type=int, default=5)
    args = parser.parse_args()
    folder = os.path.abspath(args.build)
    native = os.path.abspath(args.native)

    total = 0
    for name in ["index.html", "volk5pellor.js", "volk5pellor.wasm", "volk5pellor.data"]:
        with open(os.path.join(folder, name), "rb") as f:
            raw = f.read()
        packed = len(gzip.compress(raw, 9))
        total += packed
        print(f"download: {name}: {len(raw) / 1000:.0f} KB, {packed / 1000:.0f} KB gzip")
    print(f"download: all of it: {total / 1000:.0f} KB gzip")

    for renderer in ["swiftshader", "llvmpipe"]:
        times = [first_frame(folder, renderer) for _ in range(args.loads)]
        print(f"first frame after navigation, {renderer}, {args.loads} fresh loads: median "
              f"{statistics.median(times):.2f} s (" + ", ".join(f"{t:.2f}" for t in times) + ")")

    for round_number in range(1, args.rounds + 1):
        native_values = native_frames(native)
        page_values = page_frames(folder)
        ratio = statistics.mean(page_values) / statistics.mean(native_values)
        print(f"frame time, round {round_number}: native mean "
              f"{1000 * statistics.mean(native_values):.1f} ms (median "
              f"{1000 * statistics.median(native_values):.1f}), page on llvmpipe mean "
              f"{1000 * statistics.mean(page_values):.1f} ms (median "
              f"{1000 * statistics.median(page_values):.1f}): {ratio:.2f} x native")


if __name__ == "__main__":
    main()
