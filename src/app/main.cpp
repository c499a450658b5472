// Entry point: start-up, the frame loop and shutdown.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/FrameClock.h"
#include "app/GLFunctions.h"
#include "app/GLWindow.h"
#include "app/Renderer.h"
#include "game/Game.h"

namespace {
constexpr int windowWidth = 1280;
constexpr int windowHeight = 720;
constexpr int colourBits = 32;

void waitForFrameFloor(FrameClock& clock, std::int64_t& now, float& dt) {
    while (dt < FrameClock::minimumFrameTime) {
        SDL_Delay(FrameClock::sleepStep);
        now = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
        dt = FrameClock::toSeconds(
            FrameClock::elapsedMicroseconds(clock.last, now, clock.frequency));
    }
}

}  // namespace

int main(int, char**) {
    Game game;
    GLWindow window;
    window.setGame(&game);

    if (!window.create(windowWidth, windowHeight, colourBits, false)) {
        showErrorMessage("Unable to create the OpenGL Window");
        window.restoreDisplay();
        return 1;
    }
    renderer.setViewport(0, 0, windowWidth, windowHeight);
    if (!renderer.initRenderState()) {
        const std::string text =
            std::string("OpenGL function ") + missingGLFunction() + " is not available";
        showErrorMessage(text.c_str());
        window.restoreDisplay();
        return 1;
    }
    if (!game.init()) {
        showErrorMessage("Could not initialize the application");
        window.restoreDisplay();
        return 1;
    }
    game.resize(windowWidth, windowHeight);

    FrameClock clock;
    clock.last = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    clock.frequency = static_cast<std::int64_t>(SDL_GetPerformanceFrequency());

    while (window.isRunning()) {
        window.pumpMessages();
        if (!window.isRunning()) {
            break;  // the context is gone: no update, render or swap without it
        }
        std::int64_t now = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
        float dt = FrameClock::toSeconds(
            FrameClock::elapsedMicroseconds(clock.last, now, clock.frequency));
        if (window.isActive()) {
            waitForFrameFloor(clock, now, dt);
            if (clock.record(dt)) {
                std::fputs(clock.formatLine().c_str(), stdout);
                std::fflush(stdout);
            }
            game.update(dt);
            renderer.beginFrame();
            game.render();
            renderer.endFrame();
#if VOLK_GL_CHECKS
            renderer.checkErrors();
#endif
        }
        window.swapBuffers();
        clock.last = now;
    }
    window.restoreDisplay();
    return 0;
}
