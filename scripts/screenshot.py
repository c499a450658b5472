#!/usr/bin/env python3
"""Screenshots of the real game under a private X server.

    scripts/screenshot.py <volk5pellor> <out.png> [key:seconds ...]

Starts Xvfb on a display it picks itself, runs the game from the repository root, holds the
given keys one after the other (xdotool key names, e.g. space:0.2 Down:0.6), waits for the
picture to settle and writes the game window as a PNG. Needs Xvfb, xdotool and ImageMagick.
"""
import os
import subprocess
import sys
import time

TITLE = "VOLK 5 Pellor"


def start_x():
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1600x900x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise SystemExit("Xvfb did not start")
    env = dict(os.environ, DISPLAY=":" + number)
    env.pop("SDL_VIDEODRIVER", None)
    return server, env


def find_window(env, game, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if game.poll() is not None:
            raise SystemExit("the game exited early")
        found = subprocess.run(["xdotool", "search", "--name", TITLE], env=env,
                               capture_output=True)
        ids = found.stdout.decode().split()
        if found.returncode == 0 and ids:
            return ids[0]
        time.sleep(0.2)
    raise SystemExit("no game window")


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    executable = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    keys = [arg.rsplit(":", 1) for arg in sys.argv[3:]]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    server, env = start_x()
    game = subprocess.Popen([executable], env=env, cwd=root, stdout=subprocess.DEVNULL)
    try:
        window = find_window(env, game)
        time.sleep(1.5)
        for name, seconds in keys:
            subprocess.run(["xdotool", "keydown", name], env=env, check=True)
            time.sleep(float(seconds))
            subprocess.run(["xdotool", "keyup", name], env=env, check=True)
            time.sleep(0.2)
        time.sleep(0.5)
        subprocess.run(["import", "-window", window, out], env=env, check=True)
    finally:
        game.terminate()
        game.wait(timeout=20)
        server.terminate()
        server.wait(timeout=10)
    print(out)


if __name__ == "__main__":
    main()
