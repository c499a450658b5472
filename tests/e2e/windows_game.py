"""The Windows build under Wine on a private X server: title, client size, frame-time lines
(the same bytes as on Linux), the picture and the keys, the window manager's close, the
legacy-context fallback and the error box.

    windows_game.py <volk5pellor.exe>"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_game_keys import LINE, check_projection_switch, classify, settle  # noqa: E402
from xharness import Checks, Game, XServer  # noqa: E402


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    with XServer() as x, Game(executable, x.env, cwd=os.getcwd()) as game:
        window = game.wait_for_window(x, timeout=60)
        name = x.run("xdotool", "getwindowname", window).stdout.decode().strip()
        checks.expect(name == "VOLK 5 Pellor", f"window title is 'VOLK 5 Pellor' (got {name!r})")
        info = x.run("xwininfo", "-id", window).stdout.decode()
        size = (int(info.split("Width:")[1].split()[0]), int(info.split("Height:")[1].split()[0]))
        checks.expect(size == (1280, 720), f"client area 1280 x 720 (got {size})")

        settle(game)
        lines = [text for _, text in game.output_lines()]
        # NOTE: LINE ends in a bare "\n": a C runtime left in text mode would write "\r\n".
        checks.expect(len(lines) >= 2 and all(LINE.match(text) for text in lines),
                      f"standard output is frame-time lines only, '\\n'-terminated ({lines[:2]})")
        start = x.screenshot(window)
        s = classify(start)
        checks.expect(s["grass"] > 0.2 and s["brick"] > 0.05 and s["white"] > 0.2
                      and s["night"] > 0.05, f"the default view: lawn, house, sky, stars ({s})")

        check_projection_switch(x, game, window, start, checks)

        before = classify(x.screenshot(window), 0, 300)
        x.hold("space", 0.2)
        settle(game)
        x.hold("Down", 1.0)
        settle(game)
        above = classify(x.screenshot(window), 0, 300)
        checks.expect(before["white"] > 0.5 and above["white"] < 0.05,
                      f"Space then Down pitches the view down onto the yard "
                      f"(top white {before['white']:.2f} -> {above['white']:.2f})")

        x.hold("Escape", 0.1)
        checks.expect(game.wait_for_quiet(1.0), "the lines stop after Escape")
        x.hold("Escape", 0.1)
        resumed = game.wait_for_lines(1, since=time.monotonic(), pattern=LINE)
        checks.expect(len(resumed) == 1, "lines again after Escape again")

        code = game.close_window(x)
        checks.expect(code == 0, f"closing the window ends the game with exit code 0 (got {code})")
        checks.expect("Unable" not in game.error_text(), "no start-up error")

    with XServer() as x:
        env = dict(x.env, MESA_GL_VERSION_OVERRIDE="2.1", MESA_GLSL_VERSION_OVERRIDE="120")
        with Game(executable, env, cwd=os.getcwd()) as game:
            game.wait_for_window(x, timeout=60)
            ran = game.wait_for_lines(2, pattern=LINE)
            checks.expect("OpenGL 3.0 is not supported, falling back to GL 2.1\n" in
                          game.error_text(), "GL 2.1 only: the fallback line on standard error")
            checks.expect(len(ran) == 2, "GL 2.1 only: the game runs on the legacy context")
            code = game.close_window(x)
            checks.expect(code == 0, f"GL 2.1 only: closing exits 0 (got {code})")

        # Buffer objects missing: start-up stops with Windows' own message box.
        env = dict(x.env, MESA_GL_VERSION_OVERRIDE="1.4")
        with Game(executable, env, cwd=os.getcwd()) as game:
            box = game.wait_for_error_box(x, timeout=60)
            checks.expect(box is not None, "GL 1.4: an error box titled 'An error occurred' appears")
            if box is not None:
                game.answer_error_box(x, box)
            code = game.wait(timeout=30)
            checks.expect(code == 1, f"GL 1.4: exit code 1 once the box is answered (got {code})")
            checks.expect("OpenGL function glGenBuffers is not available\n" in game.error_text(),
                          "GL 1.4: the missing entry is named on standard error")
    checks.finish()


if __name__ == "__main__":
    main()
