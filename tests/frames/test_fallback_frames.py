"""The game's picture on the legacy GL 2.1 context matches the one on the GL 3.0 context.

Runs tools/render_frame (given as the argument) twice from the repository root with the real
data/: once plainly, once with Mesa limited to GL 2.1 / GLSL 1.20 so that the game's 3.0
request fails and it takes its fallback context. Both runs draw the same fixed level at the
start-up view and pitched down over the yard; the frames are compared pixel by pixel. A third
run takes GL_ARB_vertex_array_object away from the 2.1 context, so that the game draws its
meshes from their buffers: the same picture again."""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from xharness import Checks  # noqa: E402

WIDTH = 1280
HEIGHT = 720
VIEWS = ("start", "pitched")
FALLBACK_LINE = "OpenGL 3.0 is not supported, falling back to GL 2.1\n"
SHADER_MESSAGES = ("Could not compile", "programme non linke", "Could not load shader")

# NOTE: measured on Mesa 22.3 llvmpipe, the two contexts give bit-identical frames: the same
# GLSL 1.20 sources go through the same compiler whatever the context version. One step per
# channel is allowed for a colour product rounded the other way should a driver order the
# multiplies differently; nothing more, since any geometric difference moves whole edges by
# far more than one step, and that is what this test is here to catch.
TOLERANCE = 1


def render(executable, prefix, legacy, without_vertex_arrays=False):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    env.pop("MESA_GL_VERSION_OVERRIDE", None)
    env.pop("MESA_GLSL_VERSION_OVERRIDE", None)
    env.pop("MESA_EXTENSION_OVERRIDE", None)
    if legacy:
        # Must be in the environment before the driver loads, hence a child process.
        env.update(MESA_GL_VERSION_OVERRIDE="2.1", MESA_GLSL_VERSION_OVERRIDE="120")
    if without_vertex_arrays:
        env.update(MESA_EXTENSION_OVERRIDE="-GL_ARB_vertex_array_object")
    run = subprocess.run([executable, prefix], env=env, cwd=ROOT, capture_output=True,
                         timeout=120)
    frames = {}
    for view in VIEWS:
        path = f"{prefix}-{view}.rgba"
        frames[view] = open(path, "rb").read() if os.path.exists(path) else b""
    return run, frames


def counts(frame):
    """(grass, brick, white) among every 7th pixel."""
    grass = brick = white = 0
    for i in range(0, len(frame), 4 * 7):
        r, g, b = frame[i], frame[i + 1], frame[i + 2]
        grass += g > r + 30 and g > b + 30
        brick += r > g + 30 and r > b + 30
        white += r == g == b == 255
    return grass, brick, white


def first_line(text):
    return text.splitlines()[0] if text else "(nothing printed)"


def largest_difference(a, b):
    if a == b:
        return 0
    return max(abs(x - y) for x, y in zip(a, b))


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="volk-frames-") as scratch:
        modern, modern_frames = render(executable, os.path.join(scratch, "modern"), False)
        legacy, legacy_frames = render(executable, os.path.join(scratch, "legacy"), True)
        bare, bare_frames = render(executable, os.path.join(scratch, "bare"), True, True)

    for name, run in (("GL 3.0", modern), ("GL 2.1", legacy), ("GL 2.1 without VAOs", bare)):
        out = run.stdout.decode(errors="replace")
        err = run.stderr.decode(errors="replace")
        checks.expect(run.returncode == 0, f"{name}: render_frame exits 0 (got {run.returncode})"
                      + (f"\n{err}" if run.returncode != 0 else ""))
        found = [m for m in SHADER_MESSAGES if m in out or m in err]
        checks.expect(not found, f"{name}: no shader message"
                      + (f" (found {found})\n{out}" if found else ""))
    # Without these the comparison could pass with both runs on the same context.
    modern_out = modern.stdout.decode(errors="replace")
    legacy_out = legacy.stdout.decode(errors="replace")
    checks.expect("GL_VERSION 2.1" not in modern_out and "GL_VERSION " in modern_out,
                  "GL 3.0: a context newer than 2.1: " + first_line(modern_out))
    checks.expect(FALLBACK_LINE not in modern.stderr.decode(errors="replace"),
                  "GL 3.0: no fallback line")
    checks.expect("GL_VERSION 2.1 " in legacy_out,
                  "GL 2.1: a 2.1 context: " + first_line(legacy_out))
    checks.expect(FALLBACK_LINE in legacy.stderr.decode(errors="replace"),
                  "GL 2.1: the fallback line on standard error")

    bare_out = bare.stdout.decode(errors="replace")
    checks.expect("GL_VERSION 2.1 " in bare_out and "vertex array objects: no" in bare_out,
                  "GL 2.1 without VAOs: a 2.1 context drawing meshes from their buffers: "
                  + bare_out.replace("\n", "; "))
    checks.expect("vertex array objects: yes" in modern_out,
                  "GL 3.0: meshes in vertex array objects")
    for view in VIEWS:
        checks.expect(bare_frames[view] == legacy_frames[view],
                      f"{view}: GL 2.1 without vertex array objects draws the same bytes")
        a = modern_frames[view]
        b = legacy_frames[view]
        size_ok = len(a) == len(b) == WIDTH * HEIGHT * 4
        checks.expect(size_ok, f"{view}: two {WIDTH}x{HEIGHT} RGBA frames "
                      f"({len(a)} and {len(b)} bytes)")
        if not size_ok:
            continue
        samples = (WIDTH * HEIGHT + 6) // 7
        for name, frame in (("GL 3.0", a), ("GL 2.1", b)):
            grass, brick, white = counts(frame)
            # Both views show a lawn over a tenth of the picture with the house's bricks on it.
            checks.expect(grass > samples // 10 and brick > samples // 100 and white < samples,
                          f"{view}, {name}: grass and brick on screen "
                          f"(grass {grass}, brick {brick}, white {white} of {samples})")
        worst = largest_difference(a, b)
        checks.expect(worst <= TOLERANCE,
                      f"{view}: GL 2.1 frame within {TOLERANCE} of GL 3.0 (largest {worst})")
    checks.finish()


if __name__ == "__main__":
    main()
