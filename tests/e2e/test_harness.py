"""The harness ends what it starts: a game that ignores SIGTERM and leaves a child holding its
output, games a test never closed, and everything left when a test script dies of an exception
or SIGTERM. Stand-in games (shell scripts) keep these cases exact; no game build is needed."""
import os
import signal
import subprocess
import sys
import tempfile
import textwrap
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from xharness import Checks, Game, XServer, data_copy, ended  # noqa: E402

# Ignores SIGTERM, as a game stuck behind its error box does, and starts a child that keeps
# standard output open, as that box's process does. Prints both ids.
STUBBORN = """#!/bin/sh
trap '' TERM
sleep 1000 &
echo "$$ $!"
exec sleep 1000
"""
# Ends with code 7 on SIGTERM.
POLITE = """#!/bin/sh
trap 'exit 7' TERM
echo "$$"
while true; do sleep 1 & wait $!; done
"""
# A test script that starts an X server and a stubborn game, prints their ids, then dies.
DYING_TEST = """
import sys, time
sys.path.insert(0, {here!r})
from xharness import Game, XServer
x = XServer()
game = Game({stubborn!r}, x.env)
while not game.output_lines():
    time.sleep(0.05)
print(x.process.pid, game.output_lines()[0][1].strip(), flush=True)
if sys.argv[1] == "exception":
    raise RuntimeError("a failed step")
time.sleep(1000)
"""


def write_script(directory, name, text):
    path = os.path.join(directory, name)
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, 0o755)
    return path


def gone(pid, within=20.0):
    """True once the process no longer runs (a zombie of some other parent counts as gone).
    NOTE: SIGKILL is delivered asynchronously, hence the bounded wait."""
    deadline = time.monotonic() + within
    while True:
        try:
            with open(f"/proc/{pid}/stat") as f:
                if f.read().rsplit(")", 1)[1].split()[0] in ("Z", "X"):
                    return True
        except (FileNotFoundError, ProcessLookupError):
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(0.05)


def first_line(game, within=30.0):
    deadline = time.monotonic() + within
    while not game.output_lines() and time.monotonic() < deadline:
        time.sleep(0.05)
    lines = game.output_lines()
    return lines[0][1].split() if lines else []


def check_terminate(checks, stubborn, polite):
    with Game(polite, dict(os.environ)) as game:
        first_line(game)
        code = game.terminate(timeout=30)
    checks.expect(code == 7, f"terminate returns the exit code of a game that ends (got {code})")

    game = Game(stubborn, dict(os.environ))
    pids = first_line(game)
    try:
        game.terminate(timeout=0.5)
        timed_out = False
    except subprocess.TimeoutExpired:
        timed_out = True
    checks.expect(timed_out, "terminate still reports a game that ignores SIGTERM")
    checks.expect(len(pids) == 2 and all(gone(int(p)) for p in pids),
                  f"... and has killed it and the child holding its output ({pids})")
    checks.expect(game.process.returncode is not None, "... and has reaped it")


def check_server_close(checks, stubborn):
    x = XServer()
    game = Game(stubborn, x.env)
    pids = first_line(game)
    x.close()
    checks.expect(len(pids) == 2 and all(gone(int(p)) for p in pids),
                  f"closing the X server ends a game left running on it ({pids})")
    checks.expect(gone(x.process.pid), "... and the X server")
    x.close()  # a second close is harmless


def check_dying_test(checks, directory, stubborn, how):
    script = write_script(directory, "dying_test.py",
                          DYING_TEST.format(here=HERE, stubborn=stubborn))
    test = subprocess.Popen([sys.executable, script, how], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, start_new_session=True)
    try:
        pids = test.stdout.readline().split()
        if how == "sigterm" and pids:
            test.send_signal(signal.SIGTERM)
        test.wait(timeout=120)
    finally:
        if test.poll() is None:
            os.killpg(test.pid, signal.SIGKILL)
            test.wait()
        test.stdout.close()
        test.stderr.close()
    checks.expect(len(pids) == 3 and all(gone(int(p)) for p in pids),
                  f"a test script ended by {how} leaves no X server, game or child ({pids})")


def check_plain_helpers(checks):
    """ended and data_copy clean up after a block that fails."""
    process = None
    try:
        with ended(subprocess.Popen(["sleep", "1000"])) as process:
            raise RuntimeError("a failed step")
    except RuntimeError:
        pass
    checks.expect(process.returncode is not None and gone(process.pid),
                  "ended kills and reaps a process whose block failed")

    workdir = None
    try:
        with data_copy("volk-harness-data-") as workdir:
            copied = os.path.isfile(os.path.join(workdir, "data", "quad.json"))
            os.mkfifo(os.path.join(workdir, "data", "fifo"))
            os.symlink("loop", os.path.join(workdir, "data", "loop"))
            raise RuntimeError("a failed step")
    except RuntimeError:
        pass
    checks.expect(copied, "data_copy holds a copy of data/")
    checks.expect(workdir is not None and not os.path.exists(workdir),
                  "... and is removed, FIFO and symlink loop included, when its block fails")


def main():
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="volk-harness-") as directory:
        stubborn = write_script(directory, "stubborn", STUBBORN)
        polite = write_script(directory, "polite", POLITE)
        check_terminate(checks, stubborn, polite)
        check_server_close(checks, stubborn)
        check_dying_test(checks, directory, stubborn, "exception")
        check_dying_test(checks, directory, stubborn, "sigterm")
    check_plain_helpers(checks)
    checks.finish()


if __name__ == "__main__":
    main()
