// startup_profile: the game's start-up sequence, as main runs it, with a clock on each phase
// up to the first swapped frame; or, with --split, the same asset loading split by kind.
//
// Usage: startup_profile [--split]   (from the repository root so data/ resolves; needs a
// display). VOLK_LAUNCH_NS, when set, is the CLOCK_MONOTONIC time in nanoseconds at which
// the caller started the process, so the time before main is counted too.
//
// NOTE: Game::init loads every asset in one call, so its phases cannot be clocked from
// outside. --split runs the same loading steps (GameAssets) one kind at a time instead of
// Game::init and stops before the frame; the default sequence gives the total to the first
// frame.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>

#include "app/Diagnostics.h"
#include "app/FrameClock.h"
#include "app/GLFunctions.h"
#include "app/GLWindow.h"
#include "app/Renderer.h"
#include "game/AssetManifest.h"
#include "game/Game.h"
#include "game/GameAssets.h"

namespace {

constexpr int windowWidth = 1280;  // as the game's window
constexpr int windowHeight = 720;

double monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Prints one phase as "name  N.NN ms" and restarts the clock.
class PhaseClock {
public:
    PhaseClock() : start(monotonicMilliseconds()), last(start) {}

    void phase(const char* name) {
        const double now = monotonicMilliseconds();
        writeDiagnostic(stdout, "%-34s%10.2f ms", name, now - last);
        last = now;
    }
    void total(const char* name) const {
        writeDiagnostic(stdout, "%-34s%10.2f ms", name, monotonicMilliseconds() - start);
    }
    double getStart() const { return start; }

private:
    double start;  // ms, main's first statement
    double last;   // ms, end of the previous phase
};

// The loading steps of Game::init, one kind at a time.
void loadSplit(PhaseClock& clock) {
    static GameAssets assets;
    // Each phase says how many files it loads: "texture decoding (7)".
    const std::string textures = std::to_string(std::size(AssetManifest::textures));
    const std::string meshes = std::to_string(std::size(AssetManifest::meshes));
    const std::string colliders = std::to_string(std::size(AssetManifest::colliders));
    const std::string shaders = std::to_string(std::size(AssetManifest::shaders));
    const std::string decoding = "texture decoding (" + textures + ")";
    const std::string textureUpload = "texture upload (" + textures + ")";
    const std::string loading = "mesh + collider loading (" + meshes + " + " + colliders + ")";
    const std::string meshUpload = "mesh upload (" + meshes + ")";
    const std::string building = "shader compile + link (" + shaders + ")";

    assets.decodeTextures();
    clock.phase(decoding.c_str());
    assets.uploadTextures();
    clock.phase(textureUpload.c_str());
    assets.loadMeshes();
    assets.loadColliders();
    clock.phase(loading.c_str());
    assets.uploadMeshes();
    clock.phase(meshUpload.c_str());
    assets.buildShaders();
    assets.terrainShader.use();
    clock.phase(building.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    PhaseClock clock;
    const bool split = argc > 1 && std::strcmp(argv[1], "--split") == 0;
    if (const char* launch = std::getenv("VOLK_LAUNCH_NS")) {
        const double launchMs = std::strtod(launch, nullptr) / 1e6;
        writeDiagnostic(stdout, "%-34s%10.2f ms", "process start to main",
                        clock.getStart() - launchMs);
    }

    Game game;
    GLWindow window;
    window.setSizeListener(Game::forwardResize, &game);
    if (split) {
        // SDL's video start (the X connection) apart from the window and the GL driver;
        // create's own start of the subsystem then only counts a reference.
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            writeDiagnostic(stderr, "startup_profile: %s", SDL_GetError());
            return 1;
        }
        clock.phase("SDL video start");
    }
    if (!window.create(windowWidth, windowHeight, 32, false)) {
        writeDiagnostic(stderr, "startup_profile: no window or GL context");
        return 1;
    }
    clock.phase("window + context");
    renderer.setViewport(0, 0, windowWidth, windowHeight);
    if (!renderer.initRenderState()) {
        writeDiagnostic(stderr, "startup_profile: GL entry %s missing", missingGLFunction());
        return 1;
    }
    clock.phase("GL entry points + state");

    if (split) {
        loadSplit(clock);
        clock.total("total (split loaders, no frame)");
        return 0;
    }

    game.init();
    clock.phase("game.init (all assets, shaders)");
    game.resize(windowWidth, windowHeight);
    clock.phase("game.resize");

    // The frame loop's first pass: events, the 15 ms frame floor measured from just before the
    // loop, then one update, render and swap; glFinish makes the swap's work count here.
    const double loopStart = monotonicMilliseconds();
    window.pumpMessages();
    while (monotonicMilliseconds() - loopStart < FrameClock::minimumFrameTime * 1e3) {
        SDL_Delay(FrameClock::sleepStep);
    }
    clock.phase("events + frame floor");
    game.update(FrameClock::minimumFrameTime);
    renderer.beginFrame();
    game.render();
    renderer.endFrame();
    window.swapBuffers();
    glFinish();
    clock.phase("first update + render + swap");
    clock.total("total from main to first frame");
    if (std::getenv("VOLK_LAUNCH_NS") != nullptr) {
        const double launchMs = std::strtod(std::getenv("VOLK_LAUNCH_NS"), nullptr) / 1e6;
        writeDiagnostic(stdout, "%-34s%10.2f ms", "total from process start",
                        monotonicMilliseconds() - launchMs);
    }
    return 0;
}
