// Frame benchmark: the real game updating and rendering 1280 x 720 frames on Mesa, no floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "app/Diagnostics.h"
#include "app/Keyboard.h"
#include "app/Renderer.h"
#include "game/Game.h"
#include "support/OffscreenContext.h"

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int warmUpFrames = 30;
constexpr int measuredFrames = 300;
constexpr float frameTime = 0.015f;

bool noKeyDown(int) { return false; }

// The same context the game asks for, without an X server, drawing into a framebuffer
// object of the game's size.
class OffscreenGame {
public:
    OffscreenGame() {
        // NOTE: the game loads nothing without its data and would time empty frames.
        if (!std::ifstream("data/quad.json").good())
            fail("run from the repository root (no data/)");
        if (!context.create()) fail(context.getError().c_str());
        context.useFramebuffer(width, height);
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

    OffscreenContext context;
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
