"""Helpers for end-to-end tests: a private X server, the game process, keys and screenshots."""
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

TITLE = "VOLK 5 Pellor"


class XServer:
    """An Xvfb of our own on a display number it picks itself (-displayfd)."""

    def __init__(self, width=1600, height=900, args=()):
        """args: further Xvfb options, e.g. ("-fp", "built-ins") for a server without fonts."""
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", *args],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("SDL_VIDEODRIVER", None)

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)

    def run(self, *args, check=True):
        return subprocess.run(list(args), env=self.env, check=check, capture_output=True)

    def screenshot(self, window_id=None):
        """(width, height, bytes) of the root window or one window, RGB rows top-down."""
        target = window_id if window_id else "root"
        out = self.run("import", "-window", target, "-depth", "8", "rgb:-").stdout
        info = self.run("xwininfo", "-id" if window_id else "-root",
                        *( [window_id] if window_id else [] )).stdout.decode()
        width = int(info.split("Width:")[1].split()[0])
        height = int(info.split("Height:")[1].split()[0])
        if len(out) != width * height * 3:
            raise RuntimeError(f"screenshot of {len(out)} bytes for {width}x{height}")
        return width, height, out

    def find_window(self, title):
        """Id of a top-level window with exactly this title, or None."""
        tree = self.run("xwininfo", "-root", "-tree", check=False).stdout.decode()
        for line in tree.splitlines():
            parts = line.split(None, 1)
            if len(parts) == 2 and parts[1].startswith(f'"{title}"'):
                return parts[0]
        return None

    def key_down(self, key):
        self.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.run("xdotool", "keyup", key)

    def hold(self, key, seconds):
        """Holds a key: a tap could fall between two frames and never be seen."""
        self.key_down(key)
        time.sleep(seconds)
        self.key_up(key)


class Game:
    """The real executable, with its standard output and error collected as they arrive."""

    def __init__(self, executable, env, cwd=None):
        self.process = subprocess.Popen([executable], env=env, cwd=cwd, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.lines = []
        self.errors = []
        self._lock = threading.Lock()
        self._threads = [threading.Thread(target=self._collect, args=(self.process.stdout, self.lines)),
                         threading.Thread(target=self._collect, args=(self.process.stderr, self.errors))]
        for thread in self._threads:
            thread.daemon = True
            thread.start()

    def _collect(self, stream, into):
        for raw in iter(stream.readline, b""):
            with self._lock:
                into.append((time.monotonic(), raw.decode(errors="replace")))

    def output_lines(self):
        with self._lock:
            return list(self.lines)

    def error_text(self):
        with self._lock:
            return "".join(text for _, text in self.errors)

    def wait_for_window(self, x, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("the game exited early: " + self.error_text())
            window = x.find_window(TITLE)
            if window:
                return window
            if x.find_window("An error occurred"):
                raise RuntimeError("the game shows an error box: " + self.error_text())
            time.sleep(0.2)
        tree = x.run("xwininfo", "-root", "-tree", check=False).stdout.decode()
        raise RuntimeError(f"no window titled {TITLE} after {timeout} s; standard error:\n"
                           f"{self.error_text()}\nwindows:\n{tree}")

    def wait_exit(self, timeout=20):
        """Exit code once the game ends by itself with all its output collected; None (and the
        game killed) when it is still running after timeout seconds."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            code = None
        for thread in self._threads:
            thread.join(timeout=5)
        return code

    def terminate(self, timeout=20):
        self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(timeout=timeout)
        for thread in self._threads:
            thread.join(timeout=5)
        return code


class Checks:
    """Collects failures so one run reports all of them, then exits like a test."""

    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        if not condition:
            self.failures.append(message)
            print("FAIL:", message, flush=True)
        else:
            print("ok:", message, flush=True)

    def finish(self):
        if self.failures:
            print(f"0 passed, {len(self.failures)} failed")
            sys.exit(1)
        print("all checks passed")
        sys.exit(0)


def pixel(shot, x, y):
    width, _, data = shot
    i = (y * width + x) * 3
    return tuple(data[i:i + 3])


def difference(a, b):
    """Mean absolute difference per channel of two same-sized screenshots."""
    _, _, da = a
    _, _, db = b
    step = 97  # a sample is plenty to tell pictures apart
    total = sum(abs(da[i] - db[i]) for i in range(0, len(da), step))
    return total / (len(da) / step)
