"""Start-up paths of the real executable: the legacy-context fallback, with the real data/ and
no shader failing there, and a context that lacks GL entry points the game calls (its error box
is answered with Return; on a server without the fonts the box draws with, there is no box and
the line on standard error is the report)."""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SHADER_MESSAGES = ("Could not compile", "programme non linke", "Could not load shader")


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
    with tempfile.TemporaryDirectory(prefix="volk-startup-") as workdir:
        with XServer() as x:
            # Mesa limited to GL 2.1 and GLSL 1.20, as a real 2.1 driver: the 3.0 request
            # fails and the legacy context takes over. Run with the real data/ so the shaders
            # are built there.
            env = dict(x.env, MESA_GL_VERSION_OVERRIDE="2.1", MESA_GLSL_VERSION_OVERRIDE="120")
            with Game(executable, env, cwd=ROOT) as game:
                game.wait_for_window(x)
                ran = wait_for(lambda: len(game.output_lines()) >= 2, 20)
                checks.expect(
                    "OpenGL 3.0 is not supported, falling back to GL 2.1\n" in game.error_text(),
                    "GL 2.1 only: the fallback line on standard error")
                checks.expect(ran, "GL 2.1 only: the game runs on the legacy context")
                printed = game.output_text() + game.error_text()
                found = [m for m in SHADER_MESSAGES if m in printed]
                checks.expect(not found, f"GL 2.1 only: every shader builds (found {found})")
                code = game.terminate()
                checks.expect(code == 0, f"GL 2.1 only: SIGTERM exits 0 (got {code})")

            # Mesa limited to GL 1.4: buffer objects are missing, so start-up stops with a box.
            env = dict(x.env, MESA_GL_VERSION_OVERRIDE="1.4")
            with Game(executable, env, cwd=workdir) as game:
                box = game.wait_for_error_box(x)
                checks.expect(box is not None,
                              "GL 1.4: an error box titled 'An error occurred' appears")
                if box is not None:
                    game.answer_error_box(x, box)
                code = game.wait(timeout=20)  # and the last of its standard error is read
                checks.expect(code == 1, f"GL 1.4: exit code 1 (got {code})")
                checks.expect("OpenGL function glGenBuffers is not available" in game.error_text(),
                              "GL 1.4: the missing entry is named on standard error")

        # NOTE: "built-ins" leaves the server only its compiled-in "fixed" font, which matches
        # none of the patterns SDL's box asks for: the box cannot be shown, as on a machine
        # without xfonts-base, whatever fonts this machine has.
        with XServer(args=("-fp", "built-ins")) as bare:
            env = dict(bare.env, MESA_GL_VERSION_OVERRIDE="1.4")
            with Game(executable, env, cwd=workdir) as game:
                box = game.wait_for_error_box(bare)
                # Nobody answers anything here: a game that waits for an answer never exits.
                code = game.wait(timeout=20)
            checks.expect(box is None, "no fonts: no error box is shown")
            checks.expect(code == 1, f"no fonts: exit code 1 without a box to answer (got {code})")
            errors = game.error_text()
            checks.expect(errors == "OpenGL 3.0 is not supported, falling back to GL 2.1\n"
                                    "OpenGL function glGenBuffers is not available\n",
                          f"no fonts: the error line is the report, nothing follows (got {errors!r})")
    checks.finish()


if __name__ == "__main__":
    main()
