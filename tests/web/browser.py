"""Helpers for the page's tests: a static server for the built page, headless Chromium driven
by selenium and Debian's chromedriver, the page's printed lines and pictures of its canvas.

Every browser and server started here is ended however a test ends (use them as context
managers). The X server for the llvmpipe runs comes from tests/e2e/xharness.py."""
import base64
import contextlib
import functools
import http.server
import os
import re
import shutil
import socket
import struct
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
from xharness import FRAME_LINE, _install_exit_handling  # noqa: E402

WIDTH = 1280
HEIGHT = 720

# NOTE: the flags that keep Chromium to itself: without the background-networking ones its
# own connections (updates, sync, field trials) are refused many at a time on this machine and
# slow every start; a fresh profile per browser keeps runs apart.
BASE_FLAGS = ["--headless=new", "--no-sandbox", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--disable-default-apps", "--disable-extensions", "--mute-audio",
              "--disable-dev-shm-usage"]
RENDERER_FLAGS = {
    # Chromium's software GL: no display needed.
    "swiftshader": ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
    # Mesa's llvmpipe through a real X display (Xvfb), the native build's renderer.
    "llvmpipe": ["--use-angle=gl", "--ignore-gpu-blocklist"],
}


class Handler(http.server.SimpleHTTPRequestHandler):
    """Static files, with the .wasm type browsers need for streaming compilation."""

    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".data": "application/octet-stream"})

    def log_message(self, *args):
        pass


class Server:
    """Serves a folder on 127.0.0.1 on a port of its own choosing."""

    def __init__(self, folder):
        handler = functools.partial(Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium with a fresh profile and a 1280 x 720 viewport at scale 1."""

    def __init__(self, renderer, env=None, extra_flags=()):
        # SIGTERM becomes an exit, so the with-blocks end the browser and its driver.
        _install_exit_handling()
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.mkdtemp(prefix="volk-web-profile.")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in BASE_FLAGS + RENDERER_FLAGS[renderer] + list(extra_flags):
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        # NOTE: selenium reaches chromedriver as "localhost"; where that name does not resolve
        # (a root made by debootstrap has no /etc/hosts) the driver only looks dead after 30 s.
        try:
            socket.getaddrinfo("localhost", None)
        except socket.gaierror as error:
            raise RuntimeError(f"the name localhost does not resolve ({error}): chromedriver "
                               "cannot be reached; add it to /etc/hosts") from None
        service = Service("/usr/bin/chromedriver", env=env)
        try:
            self.driver = webdriver.Chrome(service=service, options=options)
        except Exception:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise
        self.set_viewport(WIDTH, HEIGHT, 1)

    def set_viewport(self, width, height, ratio):
        """The page's size in CSS pixels and the device pixels per CSS pixel.
        NOTE: --window-size counts the browser's frame; the viewport is set exactly instead."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": False})

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, url):
        self.driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def lines(self, stream=None):
        """The lines the game printed, in order: (stream, text) pairs, text without its "\\n"."""
        found = self.js("return window.volkLines || [];")
        return [(line["stream"], line["text"]) for line in found
                if stream is None or line["stream"] == stream]

    def frame_lines(self):
        return [text for stream, text in self.lines("stdout") if FRAME_LINE.match(text + "\n")]

    def wait_for(self, condition, what, timeout=60):
        """Polls condition() until it is true; fails the test after timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.1)
        raise TimeoutError(f"waited {timeout} s for {what}")

    def wait_for_frame_lines(self, count, timeout=90):
        """Waits until count more frame-time lines have arrived than now."""
        start = len(self.frame_lines())
        self.wait_for(lambda: len(self.frame_lines()) >= start + count,
                      f"{count} frame-time lines", timeout)

    def wait_for_quiet(self, seconds, timeout=60):
        """Waits until no frame-time line arrived for the given seconds."""
        deadline = time.monotonic() + timeout
        count = len(self.frame_lines())
        since = time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = len(self.frame_lines())
            if now != count:
                count, since = now, time.monotonic()
            elif time.monotonic() - since >= seconds:
                return
        raise TimeoutError("the frame-time lines did not stop")

    def hold(self, key, seconds):
        """Holds a key (a DOM key name such as "F2", "ArrowDown", " ") for seconds."""
        codes = {"F2": ("F2", 113), "Escape": ("Escape", 27), " ": ("Space", 32),
                 "ArrowLeft": ("ArrowLeft", 37), "ArrowUp": ("ArrowUp", 38),
                 "ArrowRight": ("ArrowRight", 39), "ArrowDown": ("ArrowDown", 40)}
        code, key_code = codes[key]
        event = {"key": key, "code": code, "windowsVirtualKeyCode": key_code,
                 "nativeVirtualKeyCode": key_code}
        if key == " ":
            event["text"] = " "
        self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", dict(event, type="keyDown"))
        time.sleep(seconds)
        event.pop("text", None)
        self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", dict(event, type="keyUp"))

    def screenshot_png(self):
        """The viewport as PNG bytes."""
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})
        return base64.b64decode(shot["data"])

    def screenshot(self):
        """(width, height, RGB bytes) of the viewport, rows top-down (as xharness's)."""
        return decode_png(self.screenshot_png())

    def renderer(self):
        """The WebGL version and renderer strings of the canvas's context."""
        return self.js("""
            const gl = document.getElementById('canvas').getContext('webgl2');
            if (!gl) return null;
            const info = gl.getExtension('WEBGL_debug_renderer_info');
            return {webgl2: gl instanceof WebGL2RenderingContext,
                    version: gl.getParameter(gl.VERSION),
                    renderer: info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : ''};""")


def decode_png(data):
    """(width, height, RGB bytes) of an 8-bit RGB or RGBA, non-interlaced PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos = 8
    idat = b""
    width = height = channels = 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError(f"PNG depth {depth} colour {colour} interlace {interlace}")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    out = bytearray()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                row[i] = (row[i] + predictor) & 255
        previous = row
        if channels == 4:
            del row[3::4]
        out += row
    return width, height, bytes(out)


@contextlib.contextmanager
def damaged_copy(folder, name, offset, replacement):
    """A temporary copy of the built page whose packed data has the file name (as under
    data/, e.g. "data/wall.bmp") overwritten at offset with the replacement bytes, its size
    kept. The pack's file table is in volk5pellor.js: {"filename": "/data/...", "start": N,
    "end": M}."""
    workdir = tempfile.mkdtemp(prefix="volk-web-damaged.")
    try:
        copy = os.path.join(workdir, "page")
        shutil.copytree(folder, copy, ignore=shutil.ignore_patterns("CMakeFiles", "*.cmake",
                                                                     "CMakeCache.txt"))
        with open(os.path.join(copy, "volk5pellor.js"), encoding="utf-8") as f:
            script = f.read()
        entry = re.search(r'"filename":\s*"/' + re.escape(name) +
                          r'",\s*"start":\s*(\d+),\s*"end":\s*(\d+)', script)
        if entry is None:
            raise ValueError(f"{name} is not in the packed data")
        start, end = int(entry.group(1)), int(entry.group(2))
        if offset + len(replacement) > end - start:
            raise ValueError(f"{name} is only {end - start} bytes")
        with open(os.path.join(copy, "volk5pellor.data"), "r+b") as f:
            f.seek(start + offset)
            f.write(replacement)
        yield copy
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
