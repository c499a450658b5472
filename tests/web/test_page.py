"""The game's page in headless Chromium: a WebGL2 context, the title and the canvas, frame-time
lines, the yard (and, with a fixed level, the native build's picture), the keys, a damaged data
file, WebGL missing, and a lost and restored context.

Usage: test_page.py BUILD_WEB NATIVE_EXE --renderer swiftshader|llvmpipe [--screenshot PNG]
       test_page.py FOLDER --plays --renderer swiftshader|llvmpipe
(from the repository root). llvmpipe runs the browser on a private Xvfb, through Mesa's GL.
NATIVE_EXE is the Linux build's game, run on the same damage and the same fixed level.
--plays checks only that a folder of the page (the unpacked web zip) plays: a WebGL2 context,
frame-time lines and the yard."""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import (HEIGHT, WIDTH, Browser, Server, damaged_copy)  # noqa: E402
from xharness import (Checks, FRAME_LINE, Game, XServer, colours, data_copy,  # noqa: E402
                      difference)

TITLE = "VOLK 5 Pellor"
# The damage of the damaged-data check: wall.bmp's signature.
DAMAGED_FILE = "data/wall.bmp"
DAMAGE = b"XX"
# NOTE: the page and the native game draw the same yard through different GL stacks: on
# llvmpipe the browser's ANGLE ends in the same Mesa and the pictures came out equal (mean
# difference 0.00); SwiftShader rounds the edges of triangles and the filtering of textures a
# little differently (0.19). A mean difference of at most 1 level (of 255) per channel says
# "the same picture"; the page with its textures' red and blue left swapped gave 10.8.
SAME_PICTURE = 1.0


def frame_values_ok(lines):
    return lines and all(FRAME_LINE.match(line + "\n") and
                         all(float(v) >= 0.015 for v in line.split()) for line in lines)


def native_run(native, env, cwd, seconds_of_lines=2):
    """The native game's stderr lines and a picture of its window, with the given data
    folder, once it has printed frame-time lines."""
    with XServer(width=WIDTH + 200, height=HEIGHT + 200) as x, \
            Game(native, dict(x.env, VOLK_FIXED_LEVEL="1", **env), cwd=cwd) as game:
        window = game.wait_for_window(x)
        game.wait_for_lines(seconds_of_lines, pattern=FRAME_LINE)
        shot = x.screenshot(window)
        errors = [line for line in game.error_text().splitlines() if line]
    return errors, shot


def check_page(checks, browser, folder, url, native_shot, screenshot_path):
    browser.open(url + "?fixed-level")
    browser.wait_for_frame_lines(2)
    info = browser.renderer()
    checks.expect(info is not None and info["webgl2"],
                  f"the canvas has a WebGL2 context ({info})")
    checks.expect(browser.driver.title == TITLE, f"the title is {TITLE!r} ({browser.driver.title!r})")
    size = browser.js("const c = document.getElementById('canvas');"
                      "const r = c.getBoundingClientRect();"
                      "return [c.width, c.height, r.width, r.height,"
                      " document.activeElement === c];")
    checks.expect(size[:4] == [WIDTH, HEIGHT, WIDTH, HEIGHT],
                  f"the canvas is 1280 x 720 and shown at that size ({size[:4]})")
    checks.expect(size[4], "the canvas has the keyboard focus")
    bar = browser.js("const p = document.getElementById('progress');"
                     "return [p.value, p.max, document.getElementById('loading').hidden];")
    data_size = os.path.getsize(os.path.join(folder, "volk5pellor.data"))
    checks.expect(bar[1] == data_size and bar[0] == bar[1] and bar[2],
                  f"the progress bar followed the data's download to its end and is gone ({bar})")
    errors = browser.lines("stderr")
    checks.expect(not errors, f"nothing on standard error ({errors})")
    frames = browser.frame_lines()
    checks.expect(frame_values_ok(frames),
                  f"well-formed frame-time lines, each value at least 0.015 ({frames[:2]})")
    checks.expect(not any("not supported" in text for _, text in browser.lines()),
                  "no fallback line")

    shot = browser.screenshot()
    if screenshot_path:
        with open(screenshot_path, "wb") as f:
            f.write(browser.screenshot_png())
    seen = colours(shot)
    checks.expect(len(seen) > 100, f"the yard is drawn ({len(seen)} colours)")
    diff = difference(shot, native_shot)
    checks.expect(diff <= SAME_PICTURE,
                  f"the native build's picture of the fixed level, within {SAME_PICTURE} "
                  f"(mean difference {diff:.2f})")

    # The keys: F2 switches the projection and back, Space then Down orbits, Escape pauses.
    browser.hold("F2", 0.2)
    browser.wait_for_frame_lines(2)
    ortho = browser.screenshot()
    browser.hold("F2", 0.2)
    browser.wait_for_frame_lines(2)
    back = browser.screenshot()
    checks.expect(difference(ortho, shot) > 10,
                  f"F2 changes the picture ({difference(ortho, shot):.1f})")
    checks.expect(difference(back, shot) <= 1.0,
                  f"F2 again restores it ({difference(back, shot):.2f})")
    scroll = browser.js("return [window.scrollX, window.scrollY];")
    browser.hold(" ", 0.2)
    browser.hold("ArrowDown", 0.7)
    browser.wait_for_frame_lines(2)
    orbit = browser.screenshot()
    checks.expect(difference(orbit, back) > 10,
                  f"Space then Down orbits the camera ({difference(orbit, back):.1f})")
    checks.expect(browser.js("return [window.scrollX, window.scrollY];") == scroll == [0, 0],
                  "the keys do not scroll the page")
    browser.hold("Escape", 0.05)
    browser.wait_for_quiet(2.0)
    paused = len(browser.frame_lines())
    time.sleep(1.0)
    checks.expect(len(browser.frame_lines()) == paused, "Escape pauses: no more frame lines")
    browser.hold("Escape", 0.05)
    browser.wait_for_frame_lines(1)
    checks.expect(True, "Escape again resumes the frames")

    # A lost context: the page says so; once the browser gives it back, the game is back.
    browser.js("window.volkLose = document.getElementById('canvas').getContext('webgl2')"
               ".getExtension('WEBGL_lose_context'); window.volkLose.loseContext();")
    browser.wait_for(lambda: browser.js(
        "return !document.getElementById('context-lost').hidden;"), "the lost-context note")
    checks.expect(True, "a lost context is shown in the page")
    # The page starts the game again on the new context: a page of its own, which has not
    # seen the marker set here.
    browser.js("window.volkBeforeRestore = true; window.volkLose.restoreContext();")
    browser.wait_for(lambda: browser.js("return !window.volkBeforeRestore;") and
                     len(browser.frame_lines()) >= 2, "frames after the restore")
    back = browser.screenshot()
    checks.expect(len(colours(back)) > 100 and browser.js(
        "return document.getElementById('context-lost').hidden;"),
        "after the restore the yard is drawn again")


def check_damaged(checks, browser, folder, native, native_errors):
    with damaged_copy(folder, DAMAGED_FILE, 0, DAMAGE) as copy, Server(copy) as server:
        browser.open(server.url)
        browser.wait_for_frame_lines(2)
        errors = [text for _, text in browser.lines("stderr")]
        checks.expect(errors == native_errors,
                      f"a damaged {DAMAGED_FILE} gives the native build's line: {errors} "
                      f"(native: {native_errors})")
        checks.expect(any(DAMAGED_FILE in line for line in errors), "the line names the file")
        browser.wait_for_frame_lines(1)
        checks.expect(True, "frames go on after the damaged file")


def check_sizes(checks, browser, url):
    """Sharp on a high-density screen, scaled down to fit a smaller window."""
    for width, height, ratio, shown in [(WIDTH, HEIGHT, 2, [WIDTH, HEIGHT]), (800, 600, 2, [800, 450])]:
        browser.set_viewport(width, height, ratio)
        browser.open(url)
        browser.wait_for_frame_lines(2)
        size = browser.js("const c = document.getElementById('canvas');"
                          "const r = c.getBoundingClientRect();"
                          "return [c.width, c.height, r.width, r.height,"
                          " document.documentElement.scrollHeight];")
        wanted = [shown[0] * ratio, shown[1] * ratio] + shown
        checks.expect(size[:4] == wanted and size[4] <= height,
                      f"in a {width} x {height} window at {ratio} device pixels per pixel the "
                      f"canvas shows {shown[0]} x {shown[1]} with {wanted[0]} x {wanted[1]} "
                      f"pixels behind it, and the page does not scroll ({size})")
        checks.expect(len(colours(browser.screenshot())) > 100, "and the yard is drawn in it")
    browser.set_viewport(WIDTH, HEIGHT, 1)


def check_no_webgl(checks, args, env):
    with Server(args.build) as server, Browser(args.renderer, env, ["--disable-webgl"]) as browser:
        browser.open(server.url)
        shown = browser.wait_for(lambda: browser.js(
            "const e = document.getElementById('error');"
            "return e.hidden ? null : [document.getElementById('error-caption').textContent,"
            " document.getElementById('error-text').textContent];"), "the error in the page")
        checks.expect(shown == ["An error occurred", "Unable to create the OpenGL Window"],
                      f"without WebGL the page shows the message with its caption ({shown})")
        errors = [text for _, text in browser.lines("stderr")]
        checks.expect(errors[-1:] == ["Unable to create the OpenGL Window"],
                      f"and the console has the line ({errors})")


def browser_env(renderer):
    """(XServer or None, the browser's environment) for a renderer."""
    if renderer == "llvmpipe":
        x = XServer(width=WIDTH, height=HEIGHT)
        return x, dict(x.env)
    return None, {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def check_plays(checks, args):
    x, env = browser_env(args.renderer)
    try:
        with Server(args.build) as server, Browser(args.renderer, env) as browser:
            browser.open(server.url)
            browser.wait_for_frame_lines(2)
            info = browser.renderer()
            checks.expect(info is not None and info["webgl2"], f"a WebGL2 context ({info})")
            frames = browser.frame_lines()
            checks.expect(frame_values_ok(frames), f"frame-time lines ({frames[:1]})")
            seen = colours(browser.screenshot())
            checks.expect(len(seen) > 100, f"the yard is drawn ({len(seen)} colours)")
            errors = browser.lines("stderr")
            checks.expect(not errors, f"nothing on standard error ({errors})")
    finally:
        if x:
            x.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("native", nargs="?")
    parser.add_argument("--plays", action="store_true")
    parser.add_argument("--renderer", choices=["swiftshader", "llvmpipe"], required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    checks = Checks()
    if args.plays:
        check_plays(checks, args)
        checks.finish()
    if not args.native:
        parser.error("NATIVE_EXE is needed unless --plays is given")
    native = os.path.abspath(args.native)

    _, native_shot = native_run(native, {}, os.getcwd())
    with data_copy("volk-web-native.") as workdir:
        with open(os.path.join(workdir, DAMAGED_FILE), "r+b") as f:
            f.write(DAMAGE)
        native_errors, _ = native_run(native, {}, workdir)

    x, env = browser_env(args.renderer)
    try:
        with Server(args.build) as server, Browser(args.renderer, env) as browser:
            check_page(checks, browser, args.build, server.url, native_shot, args.screenshot)
            info = browser.renderer()
            wanted = "SwiftShader" if args.renderer == "swiftshader" else "llvmpipe"
            checks.expect(info is not None and wanted in info["renderer"],
                          f"the renderer is {wanted} ({info and info['renderer']})")
            check_damaged(checks, browser, args.build, native, native_errors)
            check_sizes(checks, browser, server.url)
        check_no_webgl(checks, args, env)
    finally:
        if x:
            x.close()
    checks.finish()


if __name__ == "__main__":
    main()
