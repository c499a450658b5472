"""Start-up paths of the real executable: the legacy-context fallback and a context that lacks
GL entry points the game calls (its error box is answered with Return; on a server without the
fonts the box draws with, there is no box and the line on standard error is the report)."""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer  # noqa: E402


def wait_for(predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.2)
    return False


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    x = XServer()
    workdir = tempfile.mkdtemp(prefix="volk-startup-")
    try:
        # Mesa limited to GL 2.1: the 3.0 request fails and the legacy context takes over.
        env = dict(x.env, MESA_GL_VERSION_OVERRIDE="2.1")
        game = Game(executable, env, cwd=workdir)
        game.wait_for_window(x)
        ran = wait_for(lambda: len(game.output_lines()) >= 2, 20)
        checks.expect("OpenGL 3.0 is not supported, falling back to GL 2.1\n" in game.error_text(),
                      "GL 2.1 only: the fallback line on standard error")
        checks.expect(ran, "GL 2.1 only: the game runs on the legacy context")
        code = game.terminate()
        checks.expect(code == 0, f"GL 2.1 only: SIGTERM exits 0 (got {code})")

        # Mesa limited to GL 1.4: buffer objects are missing, so start-up stops with a box.
        env = dict(x.env, MESA_GL_VERSION_OVERRIDE="1.4")
        game = Game(executable, env, cwd=workdir)
        box = None
        deadline = time.monotonic() + 20
        while box is None and time.monotonic() < deadline and game.process.poll() is None:
            box = x.find_window("An error occurred")
            time.sleep(0.2)
        checks.expect(box is not None, "GL 1.4: an error box titled 'An error occurred' appears")
        if box is not None:
            x.run("xdotool", "windowfocus", "--sync", box, check=False)
            x.run("xdotool", "key", "--window", box, "Return", check=False)
        try:
            code = game.process.wait(timeout=20)
        except Exception:
            game.process.kill()
            code = None
        checks.expect(code == 1, f"GL 1.4: exit code 1 (got {code})")
        time.sleep(0.3)
        checks.expect("OpenGL function glGenBuffers is not available" in game.error_text(),
                      "GL 1.4: the missing entry is named on standard error")
    finally:
        x.close()

    # NOTE: "built-ins" leaves the server only its compiled-in "fixed" font, which matches none of
    # the patterns SDL's box asks for: the box cannot be shown, as on a machine without
    # xfonts-base, whatever fonts this machine has.
    bare = XServer(args=("-fp", "built-ins"))
    try:
        env = dict(bare.env, MESA_GL_VERSION_OVERRIDE="1.4")
        game = Game(executable, env, cwd=workdir)
        box = None
        deadline = time.monotonic() + 20
        while box is None and time.monotonic() < deadline and game.process.poll() is None:
            box = bare.find_window("An error occurred")
            time.sleep(0.2)
        # Nobody answers anything here: a game that waits for an answer never exits.
        code = game.wait_exit(timeout=20)
        checks.expect(box is None, "no fonts: no error box is shown")
        checks.expect(code == 1, f"no fonts: exit code 1 without a box to answer (got {code})")
        errors = game.error_text()
        checks.expect(errors == "OpenGL 3.0 is not supported, falling back to GL 2.1\n"
                                "OpenGL function glGenBuffers is not available\n",
                      f"no fonts: the error line is the report, nothing follows (got {errors!r})")
    finally:
        bare.close()
    checks.finish()


if __name__ == "__main__":
    main()
