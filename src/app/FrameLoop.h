// FrameLoop: the order of the steps of one run of the frame loop, apart from the platform.
#pragma once

#include <cstdint>
#include <cstdio>

#include "app/FrameClock.h"

// The loop is a template so that tests can drive it with a scripted counter, a window whose
// flags they set and a scene that records what it was asked to do; the game's own types are
// plain classes and the calls inline as if the loop were written out in main().
//
// Clock:  std::int64_t readCounter();        the performance counter, in ticks
//         void sleep(int milliseconds);
// Window: bool isRunning(); void pumpMessages(); bool isActive(); void swapBuffers();
//         void waitForEvents(int milliseconds);  returns early when an event arrives
//         void checkSize();  right before a frame is drawn
// Scene:  void update(float dt);  void render();
class FrameLoop {
public:
    // Frame lines go to out. When writing to it fails (a closed pipe, a full disk) the loop
    // stops printing and goes on: the frame times are a diagnostic, not the game.
    explicit FrameLoop(std::FILE* out) : output(out) {}

    FrameClock& getClock() { return clock; }
    bool isPrinting() const { return output != nullptr; }

    // Reads the counter and its frequency; call once, right before run().
    template <typename Clock>
    void start(Clock& source, std::int64_t frequency) {
        clock.frequency = frequency;
        clock.last = source.readCounter();
    }

    template <typename Clock, typename Window, typename Scene>
    void run(Clock& source, Window& window, Scene& scene) {
        while (window.isRunning()) {
            window.pumpMessages();
            if (!window.isRunning()) {
                break;  // the context is gone: no update, render or swap without it
            }
            std::int64_t now = source.readCounter();
            const bool active = window.isActive();
            if (active) {
                advance(window, scene, waitForFloor(source, now));
            }
            window.swapBuffers();
            clock.last = now;
            if (!active) {
                // NOTE: a paused game still swaps every iteration, but it waits here for the
                // next event for at most one frame floor, instead of spinning a core on a
                // still picture where a driver's swap returns at once. The wait counts into
                // the next iteration, which the floor would have held to 15 ms anyway.
                window.waitForEvents(pauseWaitMilliseconds);
            }
        }
    }

    // One iteration for a host that owns the loop, as a browser does: it calls this once per
    // display frame and draws what the call drew. The steps are run()'s, except that nothing
    // sleeps or waits: before the frame floor has passed since the last frame, the call does
    // nothing at all, and a paused game only swaps. False once the window has closed.
    template <typename Clock, typename Window, typename Scene>
    bool runOnce(Clock& source, Window& window, Scene& scene) {
        if (!window.isRunning()) {
            return false;
        }
        window.pumpMessages();
        if (!window.isRunning()) {
            return false;
        }
        const std::int64_t now = source.readCounter();
        const bool active = window.isActive();
        if (active) {
            const float dt = secondsSinceLast(now);
            if (dt < FrameClock::minimumFrameTime) {
                return true;
            }
            advance(window, scene, dt);
        }
        window.swapBuffers();
        clock.last = now;
        return true;
    }

    // How long a paused iteration waits for an event at most.
    static constexpr int pauseWaitMilliseconds = 15;

private:
    // The active frame's steps, shared by run() and runOnce(): record (and print) the frame
    // time, update the scene, and render it once the window's size is known to be sane.
    template <typename Window, typename Scene>
    void advance(Window& window, Scene& scene, float dt) {
        if (clock.record(dt)) {
            print();
        }
        scene.update(dt);
        window.checkSize();
        scene.render();
    }

    // Sleeps in steps until the frame floor has passed since the previous iteration's end;
    // now is left at the last counter value read. Returns the frame time in seconds.
    template <typename Clock>
    float waitForFloor(Clock& source, std::int64_t& now) {
        float dt = secondsSinceLast(now);
        while (dt < FrameClock::minimumFrameTime) {
            source.sleep(FrameClock::sleepStep);
            now = source.readCounter();
            dt = secondsSinceLast(now);
        }
        return dt;
    }

    float secondsSinceLast(std::int64_t now) const {
        return FrameClock::toSeconds(
            FrameClock::elapsedMicroseconds(clock.last, now, clock.frequency));
    }

    void print();

    FrameClock clock;
    std::FILE* output;  // not owned; null once writing to it failed
};
