"""Start-up time of the game: the medians that scripts/startup.sh reports.

Usage: startup.py <repository root> <build dir> <runs> (startup.sh brings the build up to date
and passes these)."""
import os
import re
import statistics
import subprocess
import sys
import time

top, build, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
sys.path.insert(0, os.path.join(top, "tests", "e2e"))
from xharness import XServer  # noqa: E402

PHASE = re.compile(r"^(.*?)\s+(-?[\d.]+) ms$")
FRAME_LINE = re.compile(r"^(\d+\.\d{6} ){10}$")
profile = os.path.join(build, "tools", "startup_profile")
game = os.path.join(build, "volk5pellor")


def run_profile(env, *args):
    """Phase name -> ms of one startup_profile run."""
    env = dict(env, VOLK_LAUNCH_NS=str(time.monotonic_ns()))
    out = subprocess.run([profile, *args], env=env, cwd=top, capture_output=True, text=True,
                         check=True).stdout
    return {m.group(1): float(m.group(2)) for m in map(PHASE.match, out.splitlines()) if m}


def run_game(env):
    """(earliest, latest) ms from process start to the real game's first swapped frame.

    NOTE: the game prints nothing until its tenth frame. Its first line arrives when frame 10
    starts and holds the ten frame times dt1 ... dt10, where dt(k) runs from the start of frame
    k - 1's update to the start of frame k's. Frame 1's swap ends after frame 1's update started
    (arrival - dt2 - ... - dt10) and before frame 2's did (arrival - dt3 - ... - dt10)."""
    start = time.monotonic()
    process = subprocess.Popen([game], env=env, cwd=top, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    try:
        for line in process.stdout:
            if FRAME_LINE.match(line.rstrip("\n")):
                arrival = time.monotonic()
                dts = [float(v) for v in line.split()]
                elapsed = arrival - start
                return (1e3 * (elapsed - sum(dts[1:])), 1e3 * (elapsed - sum(dts[2:])))
        raise RuntimeError("the game printed no frame-time line")
    finally:
        process.terminate()
        process.wait(timeout=30)


def medians(samples):
    names = list(dict.fromkeys(name for sample in samples for name in sample))
    return {name: statistics.median(s[name] for s in samples if name in s) for name in names}


def report(label, env):
    sequence = medians([run_profile(env) for _ in range(runs)])
    split = medians([run_profile(env, "--split") for _ in range(runs)])
    frames = [run_game(env) for _ in range(runs)]
    print(f"\n{label}: medians of {runs} runs (ms)")
    print("  startup_profile, main's sequence:")
    for name, value in sequence.items():
        print(f"    {name:34s}{value:9.1f}")
    print("  startup_profile --split, window split and game.init's loaders one kind at a time:")
    for name, value in split.items():
        if name not in ("process start to main", "GL entry points + state",
                        "total (split loaders, no frame)"):
            print(f"    {name:34s}{value:9.1f}")
    early = statistics.median(f[0] for f in frames)
    late = statistics.median(f[1] for f in frames)
    print(f"  volk5pellor, process start to first swapped frame: {early:.1f} ... {late:.1f}")
    return late


x = XServer()
try:
    base = dict(x.env)
    base.pop("MESA_SHADER_CACHE_DISABLE", None)
    warm = report("Mesa shader cache as it is", base)
    cold = report("Mesa shader cache disabled",
                  dict(base, MESA_SHADER_CACHE_DISABLE="true"))
finally:
    x.close()
print(f"\nfirst frame of the real game (median, latest bound): {warm:.1f} ms "
      f"({cold:.1f} ms without the shader cache); target 250 ms")
