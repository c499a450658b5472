// Entry point: start-up, the frame loop and shutdown.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/FrameLoop.h"
#include "app/GLFunctions.h"
#include "app/GLWindow.h"
#include "app/Platform.h"
#include "app/QuitSignals.h"
#include "app/Renderer.h"
#include "game/Game.h"

namespace {
constexpr int windowWidth = 1280;
constexpr int windowHeight = 720;
constexpr int colourBits = 32;
constexpr int startupFailed = 1;  // the exit code of every start-up failure

// The frame loop's clock: SDL's high-resolution counter and its millisecond sleep.
struct SdlClock {
    std::int64_t readCounter() { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }
    void sleep(int milliseconds) { SDL_Delay(static_cast<Uint32>(milliseconds)); }
};

// What the loop updates and draws each active frame.
struct GameFrame {
    Game& game;
    void update(float dt) { game.update(dt); }
    void render() {
        renderer.beginFrame();
        game.render();
        renderer.endFrame();
#if VOLK_GL_CHECKS
        renderer.checkErrors();
#endif
    }
};

}  // namespace

int main(int, char**) {
    initStandardStreams();
    installQuitSignals();
    Game game;
    GLWindow window;
    window.setSizeListener(Game::forwardResize, &game);

    if (!window.create(windowWidth, windowHeight, colourBits, false)) {
        showErrorMessage("Unable to create the OpenGL Window", startupFailed);
        window.restoreDisplay();
        return startupFailed;
    }
    renderer.setViewport(0, 0, windowWidth, windowHeight);
    if (!renderer.initRenderState()) {
        const std::string text =
            std::string("OpenGL function ") + missingGLFunction() + " is not available";
        showErrorMessage(text.c_str(), startupFailed);
        window.restoreDisplay();
        return startupFailed;
    }
    if (!game.init()) {
        showErrorMessage("Could not initialize the application", startupFailed);
        window.restoreDisplay();
        return startupFailed;
    }
    game.resize(windowWidth, windowHeight);

    SdlClock counter;
    GameFrame frame{game};
    FrameLoop loop(stdout);
    loop.start(counter, static_cast<std::int64_t>(SDL_GetPerformanceFrequency()));
    loop.run(counter, window, frame);
    window.restoreDisplay();
    return 0;
}
