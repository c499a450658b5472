#!/usr/bin/env python3
"""Screenshots of the real game under a private X server.

    scripts/screenshot.py <volk5pellor | volk5pellor.exe> <out.png> [key:seconds ...]

Starts Xvfb on a display it picks itself, runs the game from the repository root, holds the
given keys one after the other (xdotool key names, e.g. space:0.2 Down:0.6), waits for the
picture to settle and writes the game window as a PNG. Needs Xvfb, xdotool and ImageMagick.
The Windows build runs under Wine (in the prefix build-win64/wine, scripts/test-windows.sh).
"""
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from xharness import Game, XServer, is_windows_program  # noqa: E402


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    executable = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    keys = [arg.rsplit(":", 1) for arg in sys.argv[3:]]
    with XServer() as x, Game(executable, x.env, cwd=ROOT) as game:
        window = game.wait_for_window(x, timeout=30)
        time.sleep(1.5)
        for name, seconds in keys:
            x.hold(name, float(seconds))
            time.sleep(0.2)
        time.sleep(0.5)
        x.run("import", "-window", window, out)
        if is_windows_program(executable):
            game.close_window(x)  # NOTE: a signal would kill Wine outright
        else:
            game.terminate()
    print(out)


if __name__ == "__main__":
    main()
