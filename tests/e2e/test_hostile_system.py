"""The real executable against a hostile system: quit signals from the first instant and while the
error box waits, a reader of standard output that goes away, a window resized far past the
screen, an X error the game outlives and its window destroyed by another client."""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import (ERROR_BOX_TITLE, FRAME_LINE, Checks, Game, XServer, ended,  # noqa: E402
                      is_sanitized, send_client_message)

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
QUIT_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
GONE_LINE = "The OpenGL Window was destroyed by another program (X error: "
NO_SUCH_WINDOW = 0x1ffff0  # in the server's own id range, far past the few ids it uses


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


def wait_with_peak(process, timeout):
    """(exit code, peak resident memory in KiB) of a process we started that ends within
    timeout seconds; (None, peak so far) for one that does not, which is left running."""
    deadline = time.monotonic() + timeout
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid == process.pid:
            process.returncode = os.waitstatus_to_exitcode(status)
            return process.returncode, usage.ru_maxrss
        if time.monotonic() >= deadline:
            with open(f"/proc/{process.pid}/status") as status_file:
                return None, next(int(l.split()[1]) for l in status_file
                                  if l.startswith("VmHWM:"))
        time.sleep(0.01)


def session_members(session):
    """Ids of the live (not zombie) processes of a session."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if fields[0] != "Z" and int(fields[3]) == session:
            members.append(int(entry))
    return members


def wait_until(predicate, timeout):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() >= deadline:
            return False
        time.sleep(0.02)
    return True


def check_quit_during_error_box(checks, executable, x, env):
    """A session's logout or Ctrl-C while the start-up error box waits: the box goes, its
    process goes, and the game exits 1 as after any start-up failure."""
    for sig in (signal.SIGTERM, signal.SIGINT):
        with Game(executable, env, cwd=ROOT) as game:
            box = game.wait_for_error_box(x, timeout=30)
            checks.expect(box is not None, f"{sig.name} during the box: the box appears")
            if box is None:
                continue
            game.process.send_signal(sig)
            try:
                code = game.process.wait(timeout=2)
            except subprocess.TimeoutExpired:
                code = "no exit within 2 s"
            checks.expect(code == 1, f"{sig.name} during the box: exit code 1 (got {code})")
            # The game ran in a session of its own; SDL's box is drawn by a process in it.
            session = game.process.pid
            left = wait_until(lambda: not session_members(session), 2)
            checks.expect(left, f"{sig.name} during the box: no process of the game left "
                                f"(still there: {session_members(session)})")
            closed = wait_until(lambda: x.find_window(ERROR_BOX_TITLE) is None, 2)
            checks.expect(closed, f"{sig.name} during the box: the box is gone")


def check_window_taken_away(checks, executable, x):
    """An X error about another client's window is a line, and the game goes on; its own
    window destroyed by another client (xdotool's windowclose is XDestroyWindow) ends the run
    at once, with one line saying why and the exit code of a close."""
    with Game(executable, x.env, cwd=ROOT) as game:
        window = game.wait_for_window(x)
        checks.expect(game.wait_for_lines(1, pattern=FRAME_LINE), "frames before the X errors")
        # A drag-and-drop position from a source window that does not exist: SDL answers it
        # with a status message, which the server refuses with BadWindow.
        send_client_message(x.display, window, "XdndPosition",
                            [NO_SUCH_WINDOW, 0, (10 << 16) | 10, 0, "XdndActionCopy"])
        said = wait_until(lambda: "X error: request 25.0 failed: BadWindow"
                          in game.error_text(), 20)
        checks.expect(said, f"an X error about another window is one line\n{game.error_text()}")
        after = time.monotonic()
        more = game.wait_for_lines(2, since=after, pattern=FRAME_LINE)
        checks.expect(len(more) >= 2 and game.process.poll() is None,
                      "the game outlives an X error about another window")

        x.run("xdotool", "windowclose", window)
        code, peak = wait_with_peak(game.process, 2)
        game.close(grace=0)
        errors = game.error_text()
        checks.expect(code == 0, f"window destroyed: exit code 0 within 2 s (got {code})")
        # NOTE: the sanitizer build's shadow memory counts too; the fault grew without bound.
        limit = 1024 if is_sanitized(executable) else 200
        checks.expect(peak is not None and peak * 1024 < limit * 1000 * 1000,
                      f"window destroyed: peak memory under {limit} MB (got {peak} KiB)")
        gone = [line for line in errors.splitlines() if line.startswith(GONE_LINE)]
        checks.expect(len(gone) == 1 and errors.endswith(gone[0] + "\n"),
                      f"window destroyed: one line says why, and it is the last\n{errors}")


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

        # A window asked to grow to 16384 x 16384 is held to the screen (1600 x 900 here), and
        # no frame is drawn at the huge size in between. NOTE: the request lands at a random
        # point of a frame; most of a frame is the sleep to the frame floor, where a resize used
        # to slip past the message step into the next draw. Five rounds make that a near
        # certainty rather than a chance.
        with Game(executable, x.env, cwd=ROOT) as game:
            window = game.wait_for_window(x)
            for round_ in range(5):
                x.run("xdotool", "windowsize", window, "16384", "16384", check=False)
                deadline = time.monotonic() + 3
                while True:
                    info = x.run("xwininfo", "-id", window).stdout.decode()
                    width = int(info.split("Width:")[1].split()[0])
                    height = int(info.split("Height:")[1].split()[0])
                    if (width, height) == (1600, 900) or time.monotonic() > deadline:
                        break
                    time.sleep(0.05)
                checks.expect((width, height) == (1600, 900),
                              f"a huge window is clamped to the screen, round {round_ + 1} "
                              f"(got {width} x {height})")
                time.sleep(0.1)
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
        check_quit_during_error_box(checks, executable, x, env)

        check_window_taken_away(checks, executable, x)
    checks.finish()


if __name__ == "__main__":
    main()
