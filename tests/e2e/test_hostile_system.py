"""The real executable against a hostile system: quit signals from the first instant, a reader of
standard output that goes away, and a window resized far past the screen."""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer, ended  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
QUIT_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


def signal_mask(pid, field):
    """The set of signal numbers in one mask line of /proc/<pid>/status (SigCgt, SigIgn)."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                bits = int(line.split()[1], 16)
                return {n for n in range(1, 65) if bits & (1 << (n - 1))}
    return set()


def wait_for_handlers(process, timeout=10):
    """Waits until the game has taken over the quit signals and ignores SIGPIPE; False if the
    process ended or never did."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and process.poll() is None:
        try:
            caught = signal_mask(process.pid, "SigCgt")
            ignored = signal_mask(process.pid, "SigIgn")
        except OSError:
            return False
        if all(int(s) in caught for s in QUIT_SIGNALS) and int(signal.SIGPIPE) in ignored:
            return True
        time.sleep(0.001)
    return False


def end(process, timeout=20):
    """Exit code of a process we started, killing it if it does not end in time."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return "no exit within %d s" % timeout


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    with XServer() as x:
        # A quit signal as soon as main has run: before the window, the context or the data.
        for sig in QUIT_SIGNALS:
            with ended(subprocess.Popen([executable], env=x.env, cwd=ROOT,
                                        stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE)) as process:
                handled = wait_for_handlers(process)
                checks.expect(handled, f"{sig.name}: handled from the start of main")
                process.send_signal(sig)
                code = end(process)
            errors = process.stderr.read().decode(errors="replace")
            checks.expect(code == 0, f"{sig.name} at start-up exits 0 like a close (got {code}) "
                                     f"{errors.strip()}")

        # A reader that takes one line and goes (`volk5pellor | head -n 1`): the game goes on.
        with ended(subprocess.Popen([executable], env=x.env, cwd=ROOT, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE)) as process:
            first = process.stdout.readline().decode()
            process.stdout.close()
            checks.expect(len(first.split()) == 10, f"a frame line before the reader goes: {first!r}")
            time.sleep(2)  # about ten more frame lines into the closed pipe
            checks.expect(process.poll() is None, "the game runs on with its reader gone")
            process.send_signal(signal.SIGTERM)
            code = end(process)
        checks.expect(code == 0, f"after the reader went, SIGTERM exits 0 (got {code})")

        # A window asked to grow to 16384 x 16384 is held to the screen (1600 x 900 here).
        with Game(executable, x.env, cwd=ROOT) as game:
            window = game.wait_for_window(x)
            x.run("xdotool", "windowsize", window, "16384", "16384", check=False)
            time.sleep(1.5)
            info = x.run("xwininfo", "-id", window).stdout.decode()
            width = int(info.split("Width:")[1].split()[0])
            height = int(info.split("Height:")[1].split()[0])
            checks.expect((width, height) == (1600, 900),
                          f"a huge window is clamped to the screen (got {width} x {height})")
            lines = len(game.output_lines())
            time.sleep(1.5)
            checks.expect(len(game.output_lines()) > lines, "frames go on at the clamped size")
            with open(f"/proc/{game.process.pid}/status") as status:
                peak = next(int(l.split()[1]) for l in status if l.startswith("VmHWM:"))
            # NOTE: the sanitizer build's shadow memory counts here too; 16384 x 16384 took
            # gigabytes before the clamp.
            checks.expect(peak < 1024 * 1024, f"peak memory under 1 GiB (got {peak // 1024} MiB)")
            code = game.terminate(timeout=60)
        checks.expect(code == 0, f"huge window: SIGTERM exits 0 (got {code})")

        # No usable GL driver: Xlib's default handler used to end the process on the X error.
        env = dict(x.env, LIBGL_DRIVERS_PATH=os.path.join(ROOT, "no-such-driver-folder"))
        with Game(executable, env, cwd=ROOT) as game:
            box = game.wait_for_error_box(x, timeout=30)
            checks.expect(box is not None, "no GL driver: an error box appears")
            if box is not None:
                game.answer_error_box(x, box)
            code = game.wait(timeout=20)
        errors = game.error_text()
        checks.expect(code == 1, f"no GL driver: exit code 1 (got {code})")
        checks.expect("Unable to create the OpenGL Window\n" in errors and "X Error" not in errors,
                      f"no GL driver: the game says it cannot make its window\n{errors}")
    checks.finish()


if __name__ == "__main__":
    main()
