"""The real executable under a private X server: window, clear colour, frame-time lines,
Escape pause and resume, SIGTERM and the missing-display failure."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import FRAME_LINE, Checks, Game, XServer, pixel  # noqa: E402



def lines_between(game, start, end):
    return [text for stamp, text in game.output_lines() if start <= stamp < end]


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()

    # No display at all: the game must not fall back to an invisible window.
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    result = subprocess.run([executable], env=env, capture_output=True, timeout=60)
    checks.expect(result.returncode == 1, f"no display: exit code 1 (got {result.returncode})")
    checks.expect(b"Unable to create the OpenGL Window" in result.stderr,
                  "no display: says 'Unable to create the OpenGL Window'")

    # An empty working directory: nothing loads, so the frame is the white clear colour.
    with tempfile.TemporaryDirectory(prefix="volk-window-") as workdir, XServer() as x, \
            Game(executable, x.env, cwd=workdir) as game:
        window = game.wait_for_window(x)
        name = x.run("xdotool", "getwindowname", window).stdout.decode().strip()
        checks.expect(name == "VOLK 5 Pellor", f"window title is 'VOLK 5 Pellor' (got {name!r})")
        info = x.run("xwininfo", "-id", window).stdout.decode()
        width = int(info.split("Width:")[1].split()[0])
        height = int(info.split("Height:")[1].split()[0])
        checks.expect((width, height) == (1280, 720), f"client area 1280 x 720 (got {width} x {height})")

        # A frame-time line from after the window showed: ten frames drawn in it, however long
        # a loaded machine takes. NOTE: the missing shaders' compile logs come first, on the
        # same stream.
        game.wait_for_lines(1, since=time.monotonic(), pattern=FRAME_LINE)
        shot = x.screenshot(window)
        corners = [pixel(shot, px, py) for px, py in ((2, 2), (1277, 2), (640, 360), (2, 717), (1277, 717))]
        checks.expect(all(p == (255, 255, 255) for p in corners), f"the frame is opaque white ({corners})")

        # Frame-time lines: ten values each, at most one per ten frames of at least 15 ms.
        start = time.monotonic()
        time.sleep(2.0)
        in_two = lines_between(game, start, time.monotonic())
        # NOTE: only the upper bound is a rate; a loaded machine may well draw fewer.
        running = game.wait_for_lines(3, since=start, pattern=FRAME_LINE)
        checks.expect(len(running) >= 3, f"frame-time lines arrive while running ({len(running)})")
        checks.expect(len(in_two) <= 14, f"no more than one line per 0.15 s ({len(in_two)} in 2 s)")
        checks.expect(all(FRAME_LINE.match(text) for text in running),
                      "every line is ten '%f' values each followed by a blank")
        values = [float(v) for text in running for v in text.split()]
        checks.expect(values and min(values) >= 0.015, f"every frame takes at least 0.015 s (min {min(values or [0])})")

        # Escape pauses: no line at all while paused.
        # NOTE: the game may read the key late and a line already formatted may still be on its
        # way, so the pause counts from when the lines stop: three lines' time without one.
        last = [float(v) for v in running[-1].split()] if running else []
        x.hold("Escape", 0.1)
        checks.expect(game.wait_for_quiet(max(1.0, 3 * sum(last))), "the lines stop after Escape")
        paused_from = time.monotonic()
        time.sleep(1.5)
        paused = lines_between(game, paused_from, time.monotonic())
        checks.expect(len(paused) == 0, f"no lines while paused ({len(paused)})")

        x.hold("Escape", 0.1)
        resumed_from = time.monotonic()
        resumed = game.wait_for_lines(2, since=resumed_from, pattern=FRAME_LINE)
        checks.expect(len(resumed) >= 2, f"lines again after resuming ({len(resumed)})")
        first_values = [float(v) for v in resumed[0].split()] if resumed else []
        checks.expect(first_values and max(first_values) < 0.5,
                      "the first resumed frames do not count the pause")

        code = game.terminate()
        checks.expect(code == 0, f"SIGTERM ends the game with exit code 0 (got {code})")
        checks.expect("Unable" not in game.error_text(), "no start-up error")
    checks.finish()


if __name__ == "__main__":
    main()
