"""The real game under a private X server, driven by held keys: pan, orbit, zoom, the
orthographic switch, Escape freezing and resuming the picture, and SIGTERM."""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xharness import Checks, Game, XServer, difference  # noqa: E402

STEP = 8  # sample every 8th pixel in each direction
LINE = re.compile(r"^(\d+\.\d{6} ){10}\n$")  # one per ten frames drawn


def classify(shot, top=0, bottom=None):
    """Share of brick, grass, night (star floor) and white pixels in rows top..bottom."""
    width, height, data = shot
    bottom = height if bottom is None else bottom
    counts = {"brick": 0, "grass": 0, "night": 0, "white": 0}
    xs = {"brick": 0}
    total = 0
    for y in range(top, bottom, STEP):
        row = y * width * 3
        for x in range(0, width, STEP):
            r, g, b = data[row + 3 * x:row + 3 * x + 3]
            total += 1
            if r == 255 and g == 255 and b == 255:
                counts["white"] += 1
            elif r > g + 30 and r > b + 30:
                counts["brick"] += 1
                xs["brick"] += x
            elif g > r + 30 and g > b + 30:
                counts["grass"] += 1
            elif r + g + b < 200 and b >= r:
                counts["night"] += 1
    shares = {k: v / total for k, v in counts.items()}
    shares["brick_x"] = xs["brick"] / counts["brick"] if counts["brick"] else -1
    return shares


def settle(game):
    """Waits for two frame-time lines: at least ten whole frames drawn after the last key went
    up, however slow a loaded machine makes them."""
    game.wait_for_lines(2, since=time.monotonic(), pattern=LINE)


def settle_paused(game):
    """Waits until the frame-time lines stop: the game has read Escape and draws no more."""
    game.wait_for_quiet(1.0)


def check_projection_switch(x, game, window, start, checks):
    """F2 to orthographic and back, from the default view (start, its screenshot)."""
    # Seen edge-on from the ground's level, the star floor vanishes.
    x.hold("F2", 0.2)
    settle(game)
    ortho = classify(x.screenshot(window))
    checks.expect(ortho["night"] < 0.01 and ortho["grass"] > 0.15,
                  f"F2 switches to orthographic: no star floor, lawn still there ({ortho})")
    x.hold("F2", 0.2)
    settle(game)
    back = x.screenshot(window)
    checks.expect(difference(back, start) < 1.0, "F2 again restores the perspective view")


def main():
    executable = os.path.abspath(sys.argv[1])
    checks = Checks()
    with XServer() as x, Game(executable, x.env, cwd=os.getcwd()) as game:
        window = game.wait_for_window(x)
        settle(game)
        start = x.screenshot(window)
        s = classify(start)
        checks.expect(s["grass"] > 0.2 and s["brick"] > 0.05,
                      f"the default view shows the lawn and the house ({s})")
        checks.expect(s["white"] > 0.2 and s["night"] > 0.05,
                      f"white sky above, stars below the horizon ({s})")

        check_projection_switch(x, game, window, start, checks)

        # Pan mode: Right moves the view centre right, so the house (the bricks standing above
        # the horizon) slides left.
        house = classify(start, 0, 350)
        x.hold("Right", 0.5)
        settle(game)
        panned = classify(x.screenshot(window), 0, 350)
        checks.expect(panned["brick_x"] < house["brick_x"] - 40,
                      f"Right pans the ground: the house moves left "
                      f"({house['brick_x']:.0f} -> {panned['brick_x']:.0f})")
        x.hold("Left", 0.5)
        settle(game)

        # Escape freezes the picture: keys held while paused change nothing.
        x.hold("Escape", 0.1)
        settle_paused(game)
        frozen = x.screenshot(window)
        x.hold("Right", 0.6)
        time.sleep(0.5)  # frames keep coming while paused; nothing may change in them
        still = x.screenshot(window)
        checks.expect(difference(frozen, still) == 0, "Escape freezes the picture")
        x.hold("Escape", 0.1)
        settle(game)
        resumed = x.screenshot(window)
        checks.expect(difference(resumed, frozen) == 0,
                      "keys held during the pause were not applied on resuming")
        x.hold("Right", 0.4)
        settle(game)
        moved = x.screenshot(window)
        checks.expect(difference(moved, resumed) > 1.0, "after Escape again the keys act again")
        x.hold("Left", 0.4)
        settle(game)

        # Space: orbit. Down raises the eye: the sky gives way to the star floor seen from above.
        before = classify(x.screenshot(window), 0, 300)
        x.hold("space", 0.2)
        settle(game)  # the mode has changed before Down goes down
        # NOTE: the pitch is Down's time as the frames saw it, which is off by up to a frame
        # at each end; a loaded sanitizer build draws a frame in a tenth of a second or more.
        # One second pitches far enough whatever the frame time, and stays short of overhead.
        x.hold("Down", 1.0)
        settle(game)
        above = classify(x.screenshot(window), 0, 300)
        checks.expect(before["white"] > 0.5 and above["white"] < 0.05 and above["night"] > 0.3,
                      f"Space then Down pitches the view down onto the yard "
                      f"(top white {before['white']:.2f} -> {above['white']:.2f})")
        shot = x.screenshot(window)
        x.hold("Right", 0.6)
        settle(game)
        turned = x.screenshot(window)
        checks.expect(difference(turned, shot) > 3.0, "Right then orbits around the centre")

        # Space: zoom. Down shrinks the world's radius and brings the eye in: the house grows.
        x.hold("Left", 0.6)
        settle(game)
        near = classify(x.screenshot(window))
        x.hold("space", 0.2)
        settle(game)
        x.hold("Down", 0.8)
        settle(game)
        nearer = classify(x.screenshot(window))
        checks.expect(nearer["brick"] > near["brick"] * 1.3,
                      f"Space then Down zooms in ({near['brick']:.3f} -> {nearer['brick']:.3f} brick)")
        x.hold("Down", 1.5)  # all the way in: terrain radius 0
        settle(game)
        zero = classify(x.screenshot(window))
        checks.expect(zero["white"] < 0.5, f"zoomed all the way in the world still shows ({zero})")

        code = game.terminate()
        checks.expect(code == 0, f"SIGTERM ends the game with exit code 0 (got {code})"
                      + ("" if code == 0 else ": " + game.error_text()[-2000:]))
    checks.finish()


if __name__ == "__main__":
    main()
