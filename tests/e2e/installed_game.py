"""The game as a player starts it once it is installed, under a private X server: it must find
its data, draw the yard, print frame-time lines, write nothing into the folder it runs in and
end with exit code 0 when asked to quit.

    python3 tests/e2e/installed_game.py /usr/games/volk5pellor
    python3 tests/e2e/installed_game.py --install BUILD_DIR
    python3 tests/e2e/installed_game.py UNZIPPED/volk5pellor.exe

A launcher runs from a folder of the player's own and is stopped with SIGTERM. The second form
first installs BUILD_DIR (`cmake --install`) under a scratch prefix, checks the layout the
install rules make there and runs that copy's launcher. The unpacked Windows zip's .exe runs
under Wine from its own folder, as a double click starts it, and is stopped by closing its
window (Wine does not pass SIGTERM on); WINEPREFIX names the prefix to run in.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import FRAME_LINE, Checks, Game, XServer, colours  # noqa: E402

SIZE = (1280, 720)


def check_picture(checks, x, window):
    shot = x.screenshot(window)
    width, height, _ = shot
    checks.expect((width, height) == SIZE,
                  f"the window is {SIZE[0]} x {SIZE[1]} (got {width} x {height})")
    seen = colours(shot)
    brightest = max(max(colour) for colour in seen)
    checks.expect(brightest > 64, f"the picture is not black (brightest channel {brightest})")
    # NOTE: a game that missed its data/ still runs and draws its white clear colour alone.
    checks.expect(len(seen) > 100,
                  f"the yard is drawn, not a bare clear colour ({len(seen)} colours)")


def listing(folder):
    return sorted(os.path.relpath(os.path.join(parent, name), folder)
                  for parent, dirs, files in os.walk(folder) for name in dirs + files)


def check_game(checks, program, cwd):
    windows = program.lower().endswith(".exe")
    before = listing(cwd)
    with XServer() as x, Game(program, x.env, cwd=cwd) as game:
        window = game.wait_for_window(x, timeout=120 if windows else 60)
        lines = game.wait_for_lines(2, since=time.monotonic(), pattern=FRAME_LINE, timeout=60)
        checks.expect(len(lines) == 2, f"frame-time lines arrive ({len(lines)})")
        check_picture(checks, x, window)
        if windows:
            code = game.close_window(x)
            checks.expect(code == 0, f"closing the window ends the game with exit code 0 (got {code})")
        else:
            code = game.terminate()
            checks.expect(code == 0, f"SIGTERM ends the game with exit code 0 (got {code})")
        errors = game.error_text()
        checks.expect(errors == "", f"nothing on standard error (got {errors[:300]!r})")
    after = listing(cwd)
    checks.expect(after == before, f"nothing written into the folder it ran in "
                                   f"({sorted(set(after) ^ set(before))[:5]})")


def check_install(checks, build_dir):
    """Installs build_dir under a scratch prefix and runs the launcher found there."""
    with tempfile.TemporaryDirectory(prefix="volk-prefix-") as scratch:
        # NOTE: a prefix with a blank in it: the launcher must quote its paths.
        prefix = os.path.join(scratch, "games dir")
        result = subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix],
                                capture_output=True, text=True)
        checks.expect(result.returncode == 0, f"cmake --install succeeds ({result.stderr[-300:]})")
        launcher = os.path.join(prefix, "games", "volk5pellor")
        expected = ["games/volk5pellor", "lib/games/volk5pellor/volk5pellor",
                    "share/games/volk5pellor/data/shaders/basic-fixed.vert",
                    "share/applications/volk5pellor.desktop",
                    "share/icons/hicolor/64x64/apps/volk5pellor.png",
                    "share/icons/hicolor/128x128/apps/volk5pellor.png"]
        missing = [name for name in expected if not os.path.isfile(os.path.join(prefix, name))]
        checks.expect(not missing, f"the install rules lay out every piece (missing {missing})")
        with open(os.path.join(build_dir, "install_manifest.txt")) as f:
            manifest = f.read().splitlines()
        unlisted = [name for name in expected if os.path.join(prefix, name) not in manifest]
        checks.expect(not unlisted, f"the install manifest lists every piece (missing {unlisted})")
        desktop = os.path.join(prefix, "share", "applications", "volk5pellor.desktop")
        if os.path.isfile(desktop):
            with open(desktop) as f:
                entry = f.read().splitlines()
            checks.expect(f'Exec="{launcher}"' in entry,
                          "the menu entry starts the launcher where it was installed")
        if os.path.isfile(launcher):
            with tempfile.TemporaryDirectory(prefix="volk-player-") as home:
                check_game(checks, launcher, home)


def main():
    checks = Checks()
    if sys.argv[1] == "--install":
        check_install(checks, os.path.abspath(sys.argv[2]))
    elif sys.argv[1].lower().endswith(".exe"):
        program = os.path.abspath(sys.argv[1])
        check_game(checks, program, os.path.dirname(program))
    else:
        with tempfile.TemporaryDirectory(prefix="volk-player-") as home:
            check_game(checks, sys.argv[1], home)
    checks.finish()


if __name__ == "__main__":
    main()
