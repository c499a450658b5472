"""The game as a player starts it after installing a package: through its launcher (or the
unpacked .exe under Wine) from a folder of the player's own, under a private X server. It
must find its data by itself, draw the yard, print frame-time lines and end with exit code 0
when asked to quit.

    python3 tests/e2e/installed_game.py /usr/games/volk5pellor
"""
import os
import re
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer, colours  # noqa: E402

LINE = re.compile(r"^(\d+\.\d{6} ){10}\n$")
SIZE = (1280, 720)


def check_picture(checks, x, window):
    shot = x.screenshot(window)
    width, height, data = shot
    checks.expect((width, height) == SIZE, f"the window is {SIZE[0]} x {SIZE[1]} (got {width} x {height})")
    seen = colours(shot)
    brightest = max(max(colour) for colour in seen)
    checks.expect(brightest > 64, f"the picture is not black (brightest channel {brightest})")
    # NOTE: a game that missed its data/ still runs and draws its white clear colour alone.
    checks.expect(len(seen) > 100, f"the yard is drawn, not a bare clear colour ({len(seen)} colours)")


def main():
    launcher = sys.argv[1]
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="volk-player-") as home, XServer() as x, \
            Game(launcher, x.env, cwd=home) as game:
        window = game.wait_for_window(x, timeout=60)
        lines = game.wait_for_lines(2, since=time.monotonic(), pattern=LINE, timeout=60)
        checks.expect(len(lines) == 2, f"frame-time lines arrive ({len(lines)})")
        check_picture(checks, x, window)
        code = game.terminate()
        checks.expect(code == 0, f"SIGTERM ends the game with exit code 0 (got {code})")
        errors = game.error_text()
        checks.expect(errors == "", f"nothing on standard error (got {errors[:300]!r})")
        checks.expect(os.listdir(home) == [], "nothing written into the player's folder")
    checks.finish()


if __name__ == "__main__":
    main()
