"""Leak check of the real executable: the sanitizer build plays 300 frames (with the game's
keys pressed along the way), is closed with SIGTERM and LeakSanitizer must report nothing.
An executable built without AddressSanitizer reports the test as skipped."""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import TOP, Checks, Game, XServer, is_sanitized, skip  # noqa: E402

FRAMES = 300
TIMEOUT = 180.0  # seconds to reach FRAMES in a sanitizer build on a busy machine
KEYS = ("space", "Left", "Up", "F2", "Right", "Down", "space", "Escape", "Escape")


def leak_env(x):
    """The X server's environment with leak detection on and the driver suppressions applied.

    NOTE: the suppressions name only the GL driver's and the windowing libraries' modules;
    a leak of the game's own code is reported whatever path it took."""
    env = dict(x.env)
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "abort_on_error=0") + ":detect_leaks=1"
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
    lsan = env.get("LSAN_OPTIONS", "")
    # NOTE: "print_suppressions=" must not pass for a suppressions file.
    if not re.search(r"(^|:)suppressions=", lsan):
        lsan += ":suppressions=" + os.path.join(TOP, "scripts", "lsan.supp")
    env["LSAN_OPTIONS"] = lsan.strip(":") + ":print_suppressions=1"
    return env


def main():
    executable = os.path.abspath(sys.argv[1])
    if not is_sanitized(executable):
        skip(f"{executable} is not built with AddressSanitizer (-DVOLK_SANITIZE=ON)")
    checks = Checks()
    with XServer() as x, Game(executable, leak_env(x), cwd=TOP) as game:
        game.wait_for_window(x, timeout=60)
        # One line per ten frames: FRAMES / 10 lines. Keys go in early so that their paths
        # (new level, pause, camera moves) are part of what is checked.
        deadline = time.monotonic() + TIMEOUT
        keys = list(KEYS)
        while game.frame_lines() < FRAMES // 10 and time.monotonic() < deadline:
            if game.process.poll() is not None:
                break
            if keys:
                x.hold(keys.pop(0), 0.15)
            time.sleep(0.2)
        lines = game.frame_lines()
        checks.expect(lines >= FRAMES // 10, f"{FRAMES} frames played ({lines} frame-time lines)")
        code = game.terminate(timeout=120)
        errors = game.error_text()
        checks.expect(code == 0, f"SIGTERM exits 0 (got {code})")
        checks.expect("LeakSanitizer" not in errors, "LeakSanitizer reports no leak")
        checks.expect("ERROR: AddressSanitizer" not in errors and "runtime error:" not in errors,
                      "no other sanitizer report")
        if "Suppressions used:" in errors:
            # What the driver and windowing libraries keep until exit, for the log.
            print(errors[errors.index("Suppressions used:"):].strip(), flush=True)
        if code != 0 or "Sanitizer" in errors:
            print(errors[-6000:], flush=True)
    checks.finish()


if __name__ == "__main__":
    main()
