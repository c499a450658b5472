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

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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

#ifdef __EMSCRIPTEN__
// NOTE: a browser owns the loop: the page calls one iteration per display frame, and a
// blocking loop would freeze the page (SDL_Delay there spins). main's locals stay alive:
// emscripten leaves main by an exception that unwinds nothing.
struct BrowserLoop {
    SdlClock& counter;
    GLWindow& window;
    GameFrame& frame;
    FrameLoop& loop;
};

void runBrowserIteration(void* target) {
    auto* browser = static_cast<BrowserLoop*>(target);
    if (!browser->loop.runOnce(browser->counter, browser->window, browser->frame)) {
        emscripten_cancel_main_loop();
    }
}
#endif

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
    int drawableWidth = windowWidth;
    int drawableHeight = windowHeight;
#ifdef __EMSCRIPTEN__
    // NOTE: in a page the drawing buffer is the canvas's size times the device pixel ratio,
    // which keeps the picture sharp on a high-density screen; the viewport covers all of it.
    SDL_GL_GetDrawableSize(window.getWindow(), &drawableWidth, &drawableHeight);
#endif
    renderer.setViewport(0, 0, drawableWidth, drawableHeight);
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
    game.resize(drawableWidth, drawableHeight);

    SdlClock counter;
    GameFrame frame{game};
    FrameLoop loop(stdout);
    loop.start(counter, static_cast<std::int64_t>(SDL_GetPerformanceFrequency()));
#ifdef __EMSCRIPTEN__
    BrowserLoop browser{counter, window, frame, loop};
    emscripten_set_main_loop_arg(runBrowserIteration, &browser, 0, 1);
#else
    loop.run(counter, window, frame);
#endif
    window.restoreDisplay();
    return 0;
}
