"""Helpers for end-to-end tests: a private X server, the game process, keys and screenshots.

Every process started here is ended by the harness, whatever way a test ends: use XServer and
Game as context managers (or call close()); XServer.close() also ends the games still running
on its display, and whatever is left at interpreter exit (an exception, sys.exit, Ctrl-C or
SIGTERM) is killed and reaped then.

The Windows build (a path ending in ".exe") runs under Wine in the same way: wine_env() gives
its environment, and Game.close() also ends every Wine process of its prefix."""
import atexit
import contextlib
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TITLE = "VOLK 5 Pellor"
ERROR_BOX_TITLE = "An error occurred"
GRACE = 10  # seconds a process gets to end on its own before it is killed
FRAME_LINE = re.compile(r"^(\d+\.\d{6} ){10}\n$")  # one line per ten frames drawn

_servers = []  # X servers started here and not yet closed
_servers_lock = threading.Lock()

WINE_LOADER = "/usr/lib/wine/wine64"  # NOTE: Debian keeps the 64-bit loader off the PATH
WINE_SERVER = "/usr/lib/wine/wineserver"


def is_windows_program(executable):
    return executable.lower().endswith(".exe")


def wine_env(env, prefix):
    """env for running Windows programs: WINEPREFIX (unless env has one), Wine's own fixme
    lines silenced, and no offer to install Mono or Gecko into a new prefix."""
    env = dict(env)
    env.setdefault("WINEPREFIX", os.path.abspath(prefix))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def end_wine(env):
    """Ends every Wine process of env's prefix, its wineserver included, and waits for them."""
    subprocess.run([WINE_SERVER, "-k"], env=env, capture_output=True)
    subprocess.run([WINE_SERVER, "-w"], env=env, capture_output=True, timeout=60)


def send_client_message(display, window_id, message_type, data):
    """Sends window_id a 32-bit ClientMessage of the atom message_type (a name) from a client
    of our own, as a window manager or another program does. data: up to five longs, each an
    atom name or a number."""
    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise RuntimeError(f"cannot open display {display}")
    try:
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(window_id, 0)
        event.xclient.message_type = x11.XInternAtom(connection, message_type.encode(), 0)
        event.xclient.format = 32
        for i, value in enumerate(data):
            event.xclient.data[i] = (x11.XInternAtom(connection, value.encode(), 0)
                                     if isinstance(value, str) else value)
        x11.XSendEvent(connection, event.xclient.window, 0, 0, ctypes.byref(event))
        x11.XFlush(connection)
    finally:
        x11.XCloseDisplay(connection)


def close_window(display, window_id):
    """Asks a window to close as a window manager does: a WM_DELETE_WINDOW client message.

    NOTE: the only clean way to stop a Windows program under Wine: SIGTERM kills Wine outright
    (the program never sees it), SIGINT deadlocked about one run in fifty, and xdotool's
    windowclose destroys the window under Wine, which then crashes."""
    send_client_message(display, window_id, "WM_PROTOCOLS",
                        ["WM_DELETE_WINDOW", 0])  # 0: CurrentTime


def end_process(process, grace=GRACE, group=False):
    """Asks with SIGTERM, kills after grace seconds (with group, everything in the process's
    session too), reaps. The exit code, or None if it had to be killed."""
    if process.poll() is not None:
        return process.returncode
    process.send_signal(signal.SIGTERM)
    try:
        return process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        pass
    if group:
        # NOTE: only while the leader is not reaped; once it is, its id could be reused.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            process.kill()
    else:
        process.kill()
    process.wait()
    return None


def _end_everything():
    """At interpreter exit: whatever a test did not end itself, games before their servers."""
    for game in Game.still_running():
        if game.process.poll() is None:
            print(f"xharness: killing a game left running (pid {game.process.pid})",
                  file=sys.stderr, flush=True)
        game.close(grace=2)
    with _servers_lock:
        servers = list(_servers)
    for server in servers:
        server.close()


def _sigterm_to_exit(signum, frame):
    # NOTE: raised in the main thread, so finally blocks and context managers run and the
    # atexit handler ends what is left; the default action would leave it all running.
    raise SystemExit(128 + signum)


def _install_exit_handling():
    if threading.current_thread() is not threading.main_thread():
        return
    if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
        signal.signal(signal.SIGTERM, _sigterm_to_exit)


atexit.register(_end_everything)


class XServer:
    """An Xvfb of our own on a display number it picks itself (-displayfd).

    NOTE: -noreset matters. By default an X server resets itself whenever its last client
    leaves, and a client that connects during the reset is hung up on: between two games
    every xwininfo or xdotool call is the only client, and about one connection in seven
    then failed here, the game's own included ("Unable to create the OpenGL Window")."""

    def __init__(self, width=1600, height=900, args=()):
        """args: further Xvfb options, e.g. ("-fp", "built-ins") for a server without fonts."""
        _install_exit_handling()
        read_fd, write_fd = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-noreset", "-screen", "0",
                 f"{width}x{height}x24", "-nolisten", "tcp", *args],
                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            os.close(write_fd)
        with _servers_lock:
            _servers.append(self)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("SDL_VIDEODRIVER", None)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        """Ends the games still running on this display, then the server. Safe to repeat."""
        display = getattr(self, "display", None)
        for game in Game.still_running():
            if display is not None and game.display == display:
                game.close()
        end_process(self.process)
        with _servers_lock:
            if self in _servers:
                _servers.remove(self)

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

    def is_viewable(self, window_id):
        """True when the window is mapped (and so are its ancestors)."""
        info = self.run("xwininfo", "-id", window_id, check=False).stdout.decode()
        return "Map State: IsViewable" in info

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
    """The real executable, with its standard output and error collected as they arrive.

    NOTE: the game runs in a session of its own: SDL shows an error box from a forked child,
    which would outlive a kill of the game alone and hold its output pipes open."""

    _running = set()  # games started and not yet closed
    _running_lock = threading.Lock()

    @classmethod
    def still_running(cls):
        """The games started and not yet closed (some may have exited by themselves)."""
        with cls._running_lock:
            return list(cls._running)

    def __init__(self, executable, env, cwd=None):
        """A Windows program runs under Wine, in the prefix "wine" beside it unless env names
        one (scripts/test-windows.sh makes it)."""
        _install_exit_handling()
        self.display = env.get("DISPLAY")
        command = [executable]
        self.wine = None
        if is_windows_program(executable):
            env = self.wine = wine_env(env, os.path.join(os.path.dirname(executable), "wine"))
            command = [WINE_LOADER, executable]
        self.process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, start_new_session=True)
        self.lines = []
        self.errors = []
        self._lock = threading.Lock()
        self._threads = [threading.Thread(target=self._collect, args=(self.process.stdout, self.lines)),
                         threading.Thread(target=self._collect, args=(self.process.stderr, self.errors))]
        for thread in self._threads:
            thread.daemon = True
            thread.start()
        with Game._running_lock:
            Game._running.add(self)

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

    def output_text(self):
        with self._lock:
            return "".join(text for _, text in self.lines)

    def frame_lines(self):
        """How many frame-time lines have arrived (a shader's compile log shares the stream)."""
        with self._lock:
            return sum(1 for _, text in self.lines if FRAME_LINE.match(text))

    def wait_for_lines(self, count, since=None, pattern=None, timeout=30):
        """Texts of the standard-output lines that arrived after since (a time.monotonic()
        stamp; every line when None) and match pattern (a compiled regular expression; any
        line when None), as soon as there are count of them, or all there are after timeout
        seconds or once the game has exited."""
        deadline = time.monotonic() + timeout
        while True:
            lines = [text for stamp, text in self.output_lines()
                     if (since is None or stamp > since) and (pattern is None or pattern.match(text))]
            if len(lines) >= count or time.monotonic() >= deadline or self.process.poll() is not None:
                return lines
            time.sleep(0.05)

    def wait_for_quiet(self, quiet, timeout=30):
        """True as soon as no standard-output line has arrived for quiet seconds; False if
        lines keep coming for timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            lines = self.output_lines()
            last = lines[-1][0] if lines else 0.0
            if time.monotonic() - last >= quiet:
                return True
            time.sleep(0.05)
        return False

    def wait_for_error_box(self, x, timeout=20):
        """Id of the game's error box ("An error occurred"), or None when the game ends or no
        box comes within timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            box = x.find_window(ERROR_BOX_TITLE)
            if box:
                return box
            time.sleep(0.2)
        return None

    def answer_error_box(self, x, box):
        """Presses Return in the error box, as a player would to dismiss it."""
        x.run("xdotool", "windowfocus", "--sync", box, check=False)
        x.run("xdotool", "key", "--window", box, "Return", check=False)

    def wait_for_window(self, x, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("the game exited early: " + self.error_text())
            window = x.find_window(TITLE)
            # NOTE: the game creates its window hidden and shows it only once its GL context
            # works; until then a screenshot or a key finds nothing to hit.
            if window and x.is_viewable(window):
                return window
            if x.find_window("An error occurred"):
                raise RuntimeError("the game shows an error box: " + self.error_text())
            time.sleep(0.2)
        tree = x.run("xwininfo", "-root", "-tree", check=False).stdout.decode()
        raise RuntimeError(f"no window titled {TITLE} shown after {timeout} s; standard error:\n"
                           f"{self.error_text()}\nwindows:\n{tree}")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def terminate(self, timeout=20):
        """SIGTERM, then the exit code. A game still running after timeout seconds is killed
        and reaped, and subprocess.TimeoutExpired is raised."""
        code = end_process(self.process, grace=timeout, group=True)
        self.close()
        if code is None:
            raise subprocess.TimeoutExpired(self.process.args, timeout,
                                            stderr=self.error_text().encode())
        return code

    def close_window(self, x, timeout=30):
        """Closes the game's window as a window manager does, then the exit code. A game still
        running after timeout seconds is killed and reaped, and None is returned."""
        window = x.find_window(TITLE)
        if window is None:
            raise RuntimeError("the game has no window to close")
        close_window(x.display, window)
        return self.wait(timeout)

    def wait(self, timeout):
        """Exit code of a game that ends by itself within timeout seconds; one that does not
        is killed and reaped, and None is returned."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            code = None
        self.close(grace=0)
        return code

    def close(self, grace=GRACE):
        """Ends the game if it still runs (SIGTERM, SIGKILL after grace seconds), reaps it and
        collects the rest of its output. Safe to repeat."""
        end_process(self.process, grace=grace, group=True)
        for thread in self._threads:
            thread.join(timeout=2)
        if any(thread.is_alive() for thread in self._threads):
            # Something the game started still holds its output open. The group is not empty
            # then, so its id still names only the game's own session.
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
            for thread in self._threads:
                thread.join(timeout=5)
        if not any(thread.is_alive() for thread in self._threads):
            self.process.stdout.close()
            self.process.stderr.close()
        if self.wine is not None:
            # NOTE: the program's wineserver and Wine's own helper processes outlive it.
            end_wine(self.wine)
        with Game._running_lock:
            Game._running.discard(self)


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


@contextlib.contextmanager
def ended(process, grace=0):
    """For a process started with subprocess.Popen rather than Game: yields it and, however
    the block ends, ends it (end_process) if it still runs."""
    try:
        yield process
    finally:
        end_process(process, grace=grace)


@contextlib.contextmanager
def data_copy(prefix):
    """Path of a fresh temporary directory holding a copy of the repository's data/ (for a
    game run there to damage), removed with everything in it afterwards."""
    workdir = tempfile.mkdtemp(prefix=prefix)
    try:
        shutil.copytree(os.path.join(TOP, "data"), os.path.join(workdir, "data"))
        yield workdir
    finally:
        # NOTE: what a test put there may be a FIFO, a symlink loop or a directory where a
        # file was: removed as far as it can be, never followed.
        shutil.rmtree(workdir, ignore_errors=True)


# The exit code of a test that cannot run in this build: ctest reports it as skipped
# (SKIP_RETURN_CODE in tests/CMakeLists.txt), not as passed.
SKIP_EXIT = 77


def skip(reason):
    """Ends the test as skipped, saying why."""
    print(f"skipped: {reason}", flush=True)
    sys.exit(SKIP_EXIT)


def is_sanitized(executable):
    """True when the executable carries AddressSanitizer (its runtime's entry is named)."""
    with open(executable, "rb") as f:
        return b"__asan_init" in f.read()


def colours(shot, step=8):
    """The distinct colours of every step-th pixel in each direction: one colour is a frame
    that drew nothing but its clear colour (or black), the loaded yard gives hundreds."""
    width, height, data = shot
    found = set()
    for y in range(0, height, step):
        row = y * width * 3
        for x in range(0, width, step):
            found.add(bytes(data[row + 3 * x:row + 3 * x + 3]))
    return found
