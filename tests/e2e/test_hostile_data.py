"""The real executable on copies of data/ where files were swapped for things a reader must not
trust: a directory, a FIFO, an endless device, a symlink loop, a sparse 2 GB file, a PNG that
inflates to gigabytes, a mesh document of bare numbers and member names holding a NUL. Each run
must start drawing within a bound of seconds, end with exit code 0 on SIGTERM, name every
swapped file on standard error and stay under a peak-memory bound."""
import os
import struct
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import (  # noqa: E402
    FRAME_LINE, Checks, Game, XServer, data_copy, end_process, is_sanitized)

LINES_WANTED = 2        # frame-time lines before SIGTERM: the game got past start-up
START_BOUND = 60.0      # seconds to the first frame lines; a reader that blocks never gets there
# Peak resident memory of a run (VmHWM), in MB. The game needs about 100 MB here on default
# data; before the readers were bounded the PNG alone took 2.1 GB and a 48 MB numbers
# document 0.9 GB. The JSON parser alone touches some 12 bytes per byte of a document of bare
# numbers, so the run with a 31 MB one (just under the 32 MiB budget) gets its own bound.
PEAK_BOUND_MB = 300
NUMBERS_PEAK_BOUND_MB = 560


def png_bomb(path, side=16384):
    """A valid 1-bit grey PNG of side x side pixels: some 33 KB that inflate to 4 * side^2."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    rows = (b"\0" + b"\0" * (side // 8)) * side
    header = struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def numbers_document(megabytes):
    """A mesh document whose three vertex lists are bare zeros: valid JSON, no valid entry."""
    def make(path):
        count = megabytes * 1024 * 1024 // 6
        zeros = "[" + "0," * (count - 1) + "0]"
        with open(path, "w") as f:
            f.write(f'{{"model": {{"vertices": {zeros}, "uvs": {zeros}, "colors": {zeros}, '
                    '"indices": []}}')
    return make


def sparse(path, size=2 << 30):
    """A file of size bytes with no data blocks: costs no disk space."""
    with open(path, "wb") as f:
        f.truncate(size)


def write(data):
    def make(path):
        with open(path, "wb") as f:
            f.write(data)
    return make


def replace(path, make):
    """Removes the file at path (keeping its directory) and lets make put something there."""
    os.remove(path)
    make(path)


# Each run: the files it swaps, as (asset, how, what standard error must hold).
RUNS = {
    "not regular files": [
        ("data/shaders/basic-fixed.vert", os.mkdir,
         "Could not load shader: data/shaders/basic-fixed.vert "
         "(not a regular file (a directory))\n"),
        ("data/shaders/conveyor-map.frag", lambda p: os.symlink("/dev/zero", p),
         "Could not load shader: data/shaders/conveyor-map.frag "
         "(not a regular file (a character device))\n"),
        ("data/meshes/display/tree.json", os.mkfifo,
         "data/meshes/display/tree.json: not a regular file (a FIFO)"),
        ("data/meshes/colliders/quadCollider.json", lambda p: os.symlink(os.path.basename(p), p),
         "data/meshes/colliders/quadCollider.json: cannot open: Too many levels of symbolic "
         "links"),
        ("data/font.bmp.fnt", os.mkfifo,
         "Could not load texture: data/font.bmp.fnt: not a regular file (a FIFO)"),
    ],
    "bombs": [
        ("data/wall.bmp", sparse,
         "Could not load texture: data/wall.bmp: file too large: 2147483648 bytes, over the "
         "67108864-byte budget for a BMP"),
        ("data/road6.png", png_bomb,
         "Could not load texture: data/road6.png: image too big: 16384 x 16384 pixels take "
         "1073741824 bytes decoded, over the 67108864-byte budget"),
        ("data/meshes/display/tallWall.json", numbers_document(48),
         "data/meshes/display/tallWall.json: file too large: {size} bytes, over the "
         "33554432-byte budget for a mesh document"),
        ("data/shaders/gameover-fixed.frag", sparse,
         "Could not load shader: data/shaders/gameover-fixed.frag (file too large: 2147483648 "
         "bytes, over the 1048576-byte budget for a shader)\n"),
    ],
    "numbers and names": [
        ("data/meshes/display/wall.json", numbers_document(31),
         'data/meshes/display/wall.json: "vertices" entry 0 is not an object'),
        ("data/meshes/display/floorWood.json",
         write(b'{"model": {"vertices": [{"x": 0, "y": 0, "z\\u0000": 0}], '
               b'"uvs": [{"u": 0, "v": 0}], "colors": [{"r": 0, "g": 0, "b": 0}], '
               b'"indices": []}}'),
         'data/meshes/display/floorWood.json: "vertices" entry 0 has no "z"'),
        ("data/shaders/basic-fixed.frag", write(b"\0" * 300),
         "Could not load shader: data/shaders/basic-fixed.frag (holds a NUL byte at offset 0; "
         "a shader source is text)\n"),
    ],
}


def peak_mb(pid):
    """VmHWM of a running process in MB, or None when it cannot be read."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return None


def run_one(executable, env, swaps):
    with data_copy("volk-hostile-") as workdir:
        sizes = {}
        for asset, make, _ in swaps:
            replace(os.path.join(workdir, asset), make)
            try:
                sizes[asset] = os.path.getsize(os.path.join(workdir, asset))
            except OSError:  # the symlink loop
                sizes[asset] = None
        with Game(executable, env, cwd=workdir) as game:
            started = time.monotonic()
            game.wait_for_lines(LINES_WANTED, pattern=FRAME_LINE, timeout=START_BOUND)
            frames = game.frame_lines()
            seconds = time.monotonic() - started
            peak = peak_mb(game.process.pid)
            # A game that ignores SIGTERM is killed: None.
            code = end_process(game.process, grace=20, group=True)
        return {"code": code, "frames": frames, "seconds": seconds, "peak": peak,
                "stderr": game.error_text(), "sizes": sizes}


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    x = XServer()
    results = {}

    def work(name):
        try:
            results[name] = run_one(executable, x.env, RUNS[name])
        except Exception as error:  # a run that could not even be judged still fails
            results[name] = {"code": None, "frames": 0, "seconds": 0, "peak": None,
                             "stderr": f"harness: {error}", "sizes": {}}

    try:
        threads = [threading.Thread(target=work, args=(name,)) for name in RUNS]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    finally:
        x.close()

    bound_memory = not is_sanitized(executable)
    for name, swaps in RUNS.items():
        before = len(checks.failures)
        result = results[name]
        stderr = result["stderr"]
        checks.expect(result["frames"] >= LINES_WANTED,
                      f"{name}: frame lines within {START_BOUND:.0f} s "
                      f"({result['frames']} after {result['seconds']:.1f} s)")
        checks.expect(result["code"] == 0, f"{name}: SIGTERM exits 0 (got {result['code']})")
        for asset, _, said in swaps:
            said = said.replace("{size}", str(result["sizes"].get(asset)))
            checks.expect(said in stderr, f"{name}: standard error says '{said}'")
        if bound_memory:
            peak = result["peak"]
            bound = NUMBERS_PEAK_BOUND_MB if name == "numbers and names" else PEAK_BOUND_MB
            checks.expect(peak is not None and peak < bound,
                          f"{name}: peak memory under {bound} MB (VmHWM {peak} MB)")
        if len(checks.failures) > before:
            print("  stderr:", stderr[-2000:].replace("\n", "\n    "), flush=True)
    checks.finish()


if __name__ == "__main__":
    main()
