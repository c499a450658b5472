"""The real executable on damaged copies of data/: every asset file in turn missing, cut in
half, emptied and replaced by random bytes. Each run must keep drawing, end with exit code 0
on SIGTERM, leave no sanitizer report and name the damaged file (shaders: their load message,
compile log or link failure)."""
import os
import random
import re
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import FRAME_LINE, TOP, Checks, Game, XServer, data_copy  # noqa: E402

DAMAGES = ("missing", "half", "empty", "random")
PARALLEL = 4           # games at once on the one X server
LINES_WANTED = 3       # frame-time lines (30 frames) before SIGTERM
START_TIMEOUT = 90.0   # seconds; a sanitizer build on a busy machine starts slowly
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer",
                   "UndefinedBehaviorSanitizer")
STAGES = {".vert": "Could not compile vertexShader 35633:",
          ".frag": "Could not compile fragmentShader 35632:"}


def asset_files():
    """Every file under data/, as the game names it ("data/...")."""
    found = []
    for root, _, names in os.walk(os.path.join(TOP, "data")):
        for name in names:
            found.append(os.path.relpath(os.path.join(root, name), TOP).replace(os.sep, "/"))
    return sorted(found)


def damage(path, kind):
    """Damages one file in place; random bytes are seeded by the file and kind."""
    if kind == "missing":
        os.remove(path)
        return
    with open(path, "rb") as f:
        data = f.read()
    if kind == "half":
        data = data[:len(data) // 2]
    elif kind == "empty":
        data = b""
    else:
        rng = random.Random(f"{os.path.basename(path)}:{kind}:7")
        data = bytes(rng.getrandbits(8) for _ in range(len(data)))
    with open(path, "wb") as f:
        f.write(data)


def game_env(x):
    """The X server's environment with the sanitizer settings ctest would pass, where absent.

    NOTE: the games run in temporary directories, so the suppressions file is named by its
    absolute path."""
    env = dict(x.env)
    env.setdefault("ASAN_OPTIONS", "abort_on_error=0:detect_leaks=1:strict_string_checks=1")
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
    env.setdefault("LSAN_OPTIONS", "print_suppressions=0")
    suppressions = os.path.join(TOP, "scripts", "lsan.supp")
    # NOTE: "print_suppressions=" must not pass for a suppressions file.
    if not re.search(r"(^|:)suppressions=", env["LSAN_OPTIONS"]):
        env["LSAN_OPTIONS"] += ":suppressions=" + suppressions
    else:
        env["LSAN_OPTIONS"] = re.sub(r"suppressions=scripts/", f"suppressions={TOP}/scripts/",
                                     env["LSAN_OPTIONS"])
    return env


def run_one(executable, env, asset, kind):
    """Runs the game on a copy of data/ with one file damaged; returns what a check needs."""
    with data_copy("volk-damaged-") as workdir:
        damage(os.path.join(workdir, asset), kind)
        with Game(executable, env, cwd=workdir) as game:
            game.wait_for_lines(LINES_WANTED, pattern=FRAME_LINE, timeout=START_TIMEOUT)
            frames = game.frame_lines()
            code = game.terminate(timeout=60)
            return {"code": code, "stdout": game.output_text(), "stderr": game.error_text(),
                    "frames": frames}


def judge(checks, asset, kind, result):
    name = f"{asset} {kind}"
    before = len(checks.failures)
    stderr, stdout = result["stderr"], result["stdout"]
    checks.expect(result["code"] == 0, f"{name}: exit code 0 (got {result['code']})")
    marks = [m for m in SANITIZER_MARKS if m in stderr]
    checks.expect(not marks, f"{name}: no sanitizer report {marks or ''}")
    if marks:
        print(stderr[-4000:], flush=True)
    checks.expect(result["frames"] >= LINES_WANTED,
                  f"{name}: keeps drawing ({result['frames']} frame-time lines)")
    suffix = os.path.splitext(asset)[1]
    if suffix in STAGES:
        if kind == "missing":
            said = f"Could not load shader: {asset}" in stderr
            what = "'Could not load shader: ' and the path on standard error"
        else:
            said = STAGES[suffix] in stdout or "programme non linke" in stdout
            what = f"'{STAGES[suffix]}' or 'programme non linke' on standard output"
        checks.expect(said, f"{name}: {what}")
    else:
        checks.expect(asset in stderr, f"{name}: standard error names {asset}")
    if len(checks.failures) > before and not marks:
        print("  stdout:", stdout[-600:].replace("\n", "\n    "), flush=True)
        print("  stderr:", stderr[-1500:].replace("\n", "\n    "), flush=True)


def main():
    executable = os.path.abspath(sys.argv[1])
    only = sys.argv[2:]  # optional asset paths, to rerun a few by hand
    checks = Checks()
    cases = [(a, k) for a in asset_files() if not only or a in only for k in DAMAGES]
    checks.expect(len(cases) >= 4 * 18 or only, f"{len(cases)} damaged copies to run")

    results = {}
    pending = list(cases)
    lock = threading.Lock()

    def worker():
        while True:
            with lock:
                if not pending:
                    return
                asset, kind = pending.pop(0)
            try:
                outcome = run_one(executable, env, asset, kind)
            except Exception as error:  # a run that could not even be judged still fails
                outcome = {"code": None, "stdout": "", "stderr": f"harness: {error}",
                           "frames": 0}
            with lock:
                results[(asset, kind)] = outcome

    started = time.monotonic()
    with XServer() as x:
        env = game_env(x)
        try:
            threads = [threading.Thread(target=worker) for _ in range(PARALLEL)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
        finally:
            with lock:
                pending.clear()  # an interrupted run starts no more games
    print(f"{len(cases)} runs in {time.monotonic() - started:.0f} s", flush=True)
    for asset, kind in cases:
        judge(checks, asset, kind, results[(asset, kind)])
    checks.finish()


if __name__ == "__main__":
    main()
