// render_frame: renders frames of the real game from data/ exactly as the frame loop does,
// with a fixed level and set camera views, and writes their raw pixels for comparing.
//
// Usage: render_frame OUT_PREFIX   (from the repository root so data/ resolves)
//
// Writes OUT_PREFIX-start.rgba (the start-up view) and OUT_PREFIX-pitched.rgba (the camera
// pitched down over the yard): 1280 x 720 RGBA bytes each, rows top-down. Prints the GL and
// GLSL versions of the context it got, and whether meshes use vertex array objects, on
// standard output; the game's own messages (shader failures, the legacy-context fallback)
// appear on the streams the game uses.
//
// The window and context come from GLWindow, so a driver limited to GL 2.1 (for instance
// MESA_GL_VERSION_OVERRIDE=2.1 MESA_GLSL_VERSION_OVERRIDE=120) gets the game's fallback
// context. Without SDL_VIDEODRIVER it uses SDL's offscreen driver, needing no display.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Diagnostics.h"
#include "app/GLFunctions.h"
#include "app/GLWindow.h"
#include "app/Renderer.h"
#include "game/Game.h"
#include "math/Vector2.h"

namespace {

constexpr int windowWidth = 1280;  // as the game's window
constexpr int windowHeight = 720;

bool writeFrame(const std::string& path) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(windowWidth) * windowHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowWidth, windowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(windowWidth) * 4;
    bool ok = true;
    for (int y = windowHeight - 1; y >= 0 && ok; --y) {
        ok = std::fwrite(pixels.data() + static_cast<std::size_t>(y) * row, 1, row, file) == row;
    }
    return std::fclose(file) == 0 && ok;
}

// Two frames, as the loop would draw them: the backdrop is drawn with the projection of the
// frame before, so only the second one is the settled picture.
bool renderView(Game& game, const Vector2& angles, const std::string& path) {
    game.setCameraAngles(angles);
    for (int i = 0; i < 2; ++i) {
        renderer.beginFrame();
        game.render();
        renderer.endFrame();
    }
    glFinish();
    return writeFrame(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        writeDiagnostic(stderr, "usage: render_frame OUT_PREFIX");
        return 2;
    }
    const std::string prefix = argv[1];
    // NOTE: setenv, not a hint: GLWindow only takes a headless driver when it is asked for by
    // this variable, and a real display must not be needed here.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    Game game;
    GLWindow window;
    window.setSizeListener(Game::forwardResize, &game);
    if (!window.create(windowWidth, windowHeight, 32, false)) {
        writeDiagnostic(stderr, "render_frame: no window or GL context: %s", SDL_GetError());
        return 1;
    }
    writeDiagnostic(stdout, "GL_VERSION %s",
                    reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    writeDiagnostic(stdout, "GL_SHADING_LANGUAGE_VERSION %s",
                    reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION)));
    renderer.setViewport(0, 0, windowWidth, windowHeight);
    if (!renderer.initRenderState()) {
        writeDiagnostic(stderr, "render_frame: GL entry %s missing", missingGLFunction());
        return 1;
    }
    writeDiagnostic(stdout, "vertex array objects: %s", renderer.hasVertexArrays() ? "yes" : "no");
    game.init();
    // The level's random trees from the fixed sequence, so every run lays out the same yard.
    Level::restartFixedRandom();
    game.resetLevel(&Level::fixedRandom);
    game.resize(windowWidth, windowHeight);

    const bool ok = renderView(game, Vector2(0.0f, 0.0f), prefix + "-start.rgba") &&
                    renderView(game, Vector2(0.0f, -0.7f), prefix + "-pitched.rgba");
    if (!ok) {
        writeDiagnostic(stderr, "render_frame: cannot write %s-*.rgba", prefix.c_str());
        return 1;
    }
    return 0;
}
