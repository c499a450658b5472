// Frame benchmark: the real game updating and rendering 1280 x 720 frames on Mesa, no floor.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "app/Diagnostics.h"
#include "app/GLFunctions.h"
#include "app/Keyboard.h"
#include "app/Renderer.h"
#include "game/Game.h"

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int warmUpFrames = 30;
constexpr int measuredFrames = 300;
constexpr float frameTime = 0.015f;

bool noKeyDown(int) { return false; }

// A hidden SDL window on the offscreen driver with a framebuffer object of the game's size:
// the same context the game asks for, without an X server.
class OffscreenGame {
public:
    OffscreenGame() {
        // NOTE: the game loads nothing without its data and would time empty frames.
        if (!std::ifstream("data/quad.json").good())
            fail("run from the repository root (no data/)");
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) fail(SDL_GetError());
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        window = SDL_CreateWindow("bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr) fail(SDL_GetError());
        context = SDL_GL_CreateContext(window);
        if (context == nullptr || SDL_GL_MakeCurrent(window, context) != 0) fail(SDL_GetError());
        if (!renderer.initRenderState()) fail(missingGLFunction());
        bindFramebuffer();
        keyboard.setKeyState(&noKeyDown);
        game = std::make_unique<Game>();
        game->init();
        game->resize(width, height);
    }

    // One frame as the frame loop runs it; glFinish stands in for the buffer swap, which is
    // where llvmpipe would otherwise finish rasterising.
    void frame() {
        game->update(frameTime);
        renderer.beginFrame();
        game->render();
        renderer.endFrame();
        glFinish();
    }

    Game& get() { return *game; }

private:
    static void fail(const char* what) {
        writeDiagnostic(stderr, "bench_frame: %s", what);
        std::exit(1);
    }

    void bindFramebuffer() {
        auto gen =
            reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glGenFramebuffers"));
        auto bind =
            reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
        auto attach = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(
            SDL_GL_GetProcAddress("glFramebufferRenderbuffer"));
        auto genRender = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(
            SDL_GL_GetProcAddress("glGenRenderbuffers"));
        auto bindRender = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(
            SDL_GL_GetProcAddress("glBindRenderbuffer"));
        auto storage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(
            SDL_GL_GetProcAddress("glRenderbufferStorage"));
        if (!gen || !bind || !attach || !genRender || !bindRender || !storage) {
            fail("no framebuffer objects");
        }
        GLuint framebuffer = 0;
        GLuint buffers[2] = {0, 0};
        gen(1, &framebuffer);
        genRender(2, buffers);
        bindRender(GL_RENDERBUFFER, buffers[0]);
        storage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        bindRender(GL_RENDERBUFFER, buffers[1]);
        storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
        bind(GL_FRAMEBUFFER, framebuffer);
        attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    }

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::unique_ptr<Game> game;
};

OffscreenGame& offscreen() {
    static OffscreenGame instance;
    return instance;
}

// 300 frames after a warm-up, reported as median and 90th percentile milliseconds per frame.
void runFrames(benchmark::State& state, const Vector2& angles) {
    OffscreenGame& og = offscreen();
    og.get().setCameraAngles(angles);
    for (int i = 0; i < warmUpFrames; ++i) og.frame();
    std::vector<double> ms;
    ms.reserve(measuredFrames);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        og.frame();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
}

void frameDefaultView(benchmark::State& state) { runFrames(state, Vector2(0.0f, 0.0f)); }
void framePitchedDown(benchmark::State& state) { runFrames(state, Vector2(0.0f, -0.7f)); }

}  // namespace

BENCHMARK(frameDefaultView)->Iterations(measuredFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(framePitchedDown)->Iterations(measuredFrames)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
