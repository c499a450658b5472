"""Soak run of the real game: random held keys, resizes and minimise/restore for a given time,
then SIGTERM. Checks the exit code, every frame-time line, resident memory growth after the
first ten seconds and the absence of GL errors (reported by debug builds).

usage: soak.py <executable> <seconds> [seed]"""
import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import FRAME_LINE, Checks, Game, XServer  # noqa: E402

KEYS = ["Left", "Right", "Up", "Down", "space", "F2", "Escape"]


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


SIZES = [(1280, 720), (640, 480), (1, 1), (7, 3), (1600, 900), (333, 1000)]


def ensure_running(x, game):
    """Resumes the game if the random keys left it paused: paused, the loop swaps as fast as
    it can and the driver keeps more frames in flight, which is no state to compare."""
    for _ in range(3):
        before = len(game.output_lines())
        time.sleep(0.5)  # a line every ten frames of at least 15 ms
        if len(game.output_lines()) > before:
            return
        x.hold("Escape", 0.1)


def settled_resident_kib(x, window, game):
    """Resident memory of the running game at the standard window size, the least of two
    seconds of samples. The driver's frame buffers follow the window size and its per-frame
    scene memory the view, so a single sample says more about the moment than about growth."""
    set_minimised(x, window, False)
    x.run("xdotool", "windowsize", window, "1280", "720", check=False)
    ensure_running(x, game)
    samples = []
    for _ in range(10):
        samples.append(resident_kib(game.process.pid))
        time.sleep(0.2)
    return min(samples)


def warm_up(x, window):
    """Every window size, a minimise, every key and a pause once, so that the first ten
    seconds reach the memory the rest of the run needs."""
    for width, height in SIZES:
        x.run("xdotool", "windowsize", window, str(width), str(height), check=False)
        time.sleep(0.3)
    set_minimised(x, window, True)
    time.sleep(0.3)
    set_minimised(x, window, False)
    for key in KEYS:
        x.hold(key, 0.3)
    # Paused, the loop swaps as fast as it can; the driver then keeps more buffers in flight.
    x.hold("Escape", 0.1)
    time.sleep(2.0)
    x.hold("Escape", 0.1)


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
    with XServer() as x:
        soak(x, executable, seconds, rng, checks)
    checks.finish()


def soak(x, executable, seconds, rng, checks):
    # NOTE: glibc raises its mmap threshold each time a large mapped block is freed, after
    # which the driver's frame buffers of ever new sizes come from the heap and leave it
    # resident: about 14 MB over the first minute and a half of random resizing, then flat.
    # Pinning the threshold keeps that allocator high-water mark out of the growth measured;
    # at 64 KiB it also maps the rasteriser's 64 KiB scene blocks, which otherwise can leave a
    # heap fragmented after one unusually busy frame.
    env = dict(x.env, MALLOC_MMAP_THRESHOLD_="65536")
    with Game(executable, env, cwd=os.getcwd()) as game:
        window = game.wait_for_window(x)
        start = time.monotonic()
        warm_up(x, window)
        memory = []  # settled resident memory, every ten seconds from the tenth on
        actions = 0
        while time.monotonic() - start < seconds:
            if time.monotonic() - start >= 10 * (len(memory) + 1):
                memory.append(settled_resident_kib(x, window, game))
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
                width, height = rng.choice(SIZES + [(rng.randint(1, 1600), rng.randint(1, 900))])
                x.run("xdotool", "windowsize", window, str(width), str(height), check=False)
                time.sleep(rng.uniform(0.05, 0.3))
            else:
                set_minimised(x, window, True)
                time.sleep(rng.uniform(0.1, 0.5))
                set_minimised(x, window, False)
            actions += 1
        if game.process.poll() is None:
            memory.append(settled_resident_kib(x, window, game))
        checks.expect(game.process.poll() is None, "the game runs to the end of the soak")
        code = game.terminate()
        lines = [text for _, text in game.output_lines()]
        bad = [text for text in lines if not FRAME_LINE.match(text)]
        print(f"soak: {actions} actions, {len(lines)} frame-time lines", flush=True)
        checks.expect(code == 0, f"exit code 0 after SIGTERM (got {code})")
        checks.expect(lines and not bad, f"every frame-time line well formed ({len(bad)} bad of {len(lines)})")
        if len(memory) >= 2:
            # The least of two neighbouring samples at each end: one sample can still catch
            # a frame buffer in flight.
            growth = min(memory[-2:]) - min(memory[:2])
            print(f"soak: resident memory at 1280 x 720 every 10 s from 10 s (KiB): {memory}",
                  flush=True)
            checks.expect(growth < 1024, f"resident memory grows by less than 1 MB ({growth} KiB)")
        errors = game.error_text()
        checks.expect("GL error" not in errors, "no GL error reported")
        checks.expect("Sanitizer" not in errors and "runtime error" not in errors, "no sanitizer report")
        if errors.strip():
            print("standard error:\n" + errors[-3000:], flush=True)


if __name__ == "__main__":
    main()
