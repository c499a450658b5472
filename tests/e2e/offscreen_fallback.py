"""The offscreen GL context that tests, benchmarks and tools share, where SDL's offscreen
driver cannot start (it needs EGL; Wine, for one, has none): tools/render_meshes must then
draw the very same pictures in a hidden window on the default video driver, here a private X
server. A driver asked for by SDL_VIDEODRIVER is kept to, and a context that cannot be made
anywhere is reported with both attempts.

usage: offscreen_fallback.py <render_meshes executable>"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import TOP, Checks, XServer  # noqa: E402

# NOTE: SDL loads EGL from this path when it is set; one that does not exist makes the
# offscreen driver fail exactly as on a system without EGL.
NO_EGL = {"SDL_VIDEO_EGL_DRIVER": "/nonexistent/libEGL.so.1"}
PICTURES = 10


def render(tool, env, out):
    os.makedirs(out)
    result = subprocess.run([tool, out], env=env, cwd=TOP, capture_output=True, timeout=240)
    pictures = {}
    for name in sorted(os.listdir(out)):
        with open(os.path.join(out, name), "rb") as f:
            pictures[name] = f.read()
    return result.returncode, result.stderr.decode(errors="replace"), pictures


def main():
    tool = os.path.abspath(sys.argv[1])
    checks = Checks()
    headless = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    with tempfile.TemporaryDirectory(prefix="volk-fallback-") as scratch, XServer() as x:
        code, errors, reference = render(tool, headless, os.path.join(scratch, "offscreen"))
        checks.expect(code == 0 and len(reference) == PICTURES,
                      f"the offscreen driver draws {PICTURES} pictures (exit {code}) {errors}")

        code, errors, pictures = render(tool, dict(x.env, **NO_EGL),
                                        os.path.join(scratch, "hidden"))
        checks.expect(code == 0, f"without EGL a hidden X window stands in (exit {code}) {errors}")
        differing = [n for n in reference if pictures.get(n) != reference[n]]
        checks.expect(pictures.keys() == reference.keys() and not differing,
                      f"... and its pictures are the same bytes (differing: {differing})")

        code, errors, _ = render(tool, dict(x.env, SDL_VIDEODRIVER="offscreen", **NO_EGL),
                                 os.path.join(scratch, "asked"))
        checks.expect(code == 1 and errors.startswith("render_meshes: offscreen video driver: ")
                      and "default" not in errors,
                      f"a driver asked for by SDL_VIDEODRIVER is not swapped (exit {code}) {errors}")

        # NOTE: the windowing libraries SDL tries may say something of their own first.
        code, errors, _ = render(tool, dict(headless, **NO_EGL), os.path.join(scratch, "none"))
        ours = [line for line in errors.splitlines() if line.startswith("render_meshes:")]
        checks.expect(code == 1 and len(ours) == 1
                      and ours[0].startswith("render_meshes: offscreen video driver: ")
                      and "; hidden window on the default video driver: " in ours[0],
                      f"no EGL and no display: one line names both attempts (exit {code}) {errors}")
    checks.finish()


if __name__ == "__main__":
    main()
