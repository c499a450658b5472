"""Soak run of the real game: random held keys, resizes and minimise/restore for a given time,
then SIGTERM. Checks the exit code, every frame-time line, resident memory growth after the
first ten seconds and the absence of GL errors (reported by debug builds).

usage: soak.py <executable> <seconds> [seed]"""
import os
import random
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer  # noqa: E402

LINE = re.compile(r"^(\d+\.\d{6} ){10}\n$")
KEYS = ["Left", "Right", "Up", "Down", "space", "F2", "Escape"]


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def set_minimised(x, window, hidden):
    # With no window manager nobody else sets the state; SDL reads it as minimise/restore.
    if hidden:
        x.run("xprop", "-id", window, "-f", "_NET_WM_STATE", "32a", "-set", "_NET_WM_STATE",
              "_NET_WM_STATE_HIDDEN", check=False)
    else:
        x.run("xprop", "-id", window, "-remove", "_NET_WM_STATE", check=False)


def main():
    executable = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else int(time.time())
    print(f"soak: {seconds:.0f} s, seed {seed}", flush=True)
    rng = random.Random(seed)
    checks = Checks()
    x = XServer()
    game = Game(executable, x.env, cwd=os.getcwd())
    try:
        window = game.wait_for_window(x)
        start = time.monotonic()
        baseline = None
        actions = 0
        while time.monotonic() - start < seconds:
            if baseline is None and time.monotonic() - start >= 10:
                baseline = resident_kib(game.process.pid)
            if game.process.poll() is not None:
                break
            roll = rng.random()
            if roll < 0.70:
                keys = rng.sample(KEYS, rng.choice([1, 1, 1, 2, 3]))
                for key in keys:
                    x.key_down(key)
                time.sleep(rng.uniform(0.05, 0.6))
                for key in reversed(keys):
                    x.key_up(key)
            elif roll < 0.90:
                width, height = rng.choice([(1280, 720), (640, 480), (1, 1), (7, 3), (1600, 900),
                                            (333, 1000), (rng.randint(1, 1600), rng.randint(1, 900))])
                x.run("xdotool", "windowsize", window, str(width), str(height), check=False)
                time.sleep(rng.uniform(0.05, 0.3))
            else:
                set_minimised(x, window, True)
                time.sleep(rng.uniform(0.1, 0.5))
                set_minimised(x, window, False)
            actions += 1
        end_rss = resident_kib(game.process.pid) if game.process.poll() is None else 0
        checks.expect(game.process.poll() is None, "the game runs to the end of the soak")
        code = game.terminate()
        lines = [text for _, text in game.output_lines()]
        bad = [text for text in lines if not LINE.match(text)]
        print(f"soak: {actions} actions, {len(lines)} frame-time lines", flush=True)
        checks.expect(code == 0, f"exit code 0 after SIGTERM (got {code})")
        checks.expect(lines and not bad, f"every frame-time line well formed ({len(bad)} bad of {len(lines)})")
        if baseline is not None:
            growth = end_rss - baseline
            print(f"soak: resident memory {baseline} KiB at 10 s, {end_rss} KiB at the end", flush=True)
            checks.expect(growth < 1024, f"resident memory grows by less than 1 MB ({growth} KiB)")
        errors = game.error_text()
        checks.expect("GL error" not in errors, "no GL error reported")
        checks.expect("Sanitizer" not in errors and "runtime error" not in errors, "no sanitizer report")
        if errors.strip():
            print("standard error:\n" + errors[-3000:], flush=True)
    finally:
        if game.process.poll() is None:
            game.process.kill()
        x.close()
    checks.finish()


if __name__ == "__main__":
    main()
