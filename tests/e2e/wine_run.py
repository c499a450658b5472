#!/usr/bin/env python3
"""Runs one Windows program under Wine on a private X server, passing its output and exit code
through: the Windows build's test runner (CMAKE_CROSSCOMPILING_EMULATOR).

    wine_run.py --prefix DIR <program.exe> [arguments...]
    wine_run.py --prefix DIR --init     makes the Wine prefix if it is missing
    wine_run.py --prefix DIR --end      ends every Wine process of the prefix

NOTE: a new prefix takes some ten seconds and prints its own lines: make it (--init) before
tests run in parallel. WINEPREFIX in the environment wins over --prefix."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import WINE_LOADER, XServer, end_process, end_wine, wine_env  # noqa: E402


def main():
    args = sys.argv[1:]
    if len(args) < 3 or args[0] != "--prefix":
        raise SystemExit(__doc__)
    env = wine_env(os.environ, args[1])
    if args[2] == "--end":
        end_wine(env)
        return 0
    if args[2] == "--init":
        if os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
            return 0
        env.pop("DISPLAY", None)  # nothing to show
        result = subprocess.run([WINE_LOADER, "wineboot", "--init"], env=env,
                                capture_output=True, text=True)
        end_wine(env)
        if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
            sys.stderr.write(result.stdout + result.stderr)
            return 1
        return 0
    with XServer() as x:
        env["DISPLAY"] = x.display
        program = subprocess.Popen([WINE_LOADER, *args[2:]], env=env)
        try:
            return program.wait()
        finally:
            end_process(program)


if __name__ == "__main__":
    sys.exit(main())
