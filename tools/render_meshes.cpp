// render_meshes: renders every game mesh with its texture, and a piece of the curved level,
// offscreen on the real GL driver and writes PNG pictures for looking at the data.
//
// Usage: render_meshes OUT_DIR   (run from the repository root so data/ resolves)
#include <SDL.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Diagnostics.h"
#include "app/GLFunctions.h"
#include "app/Renderer.h"
#include "assets/Mesh.h"
#include "math/Camera.h"
#include "math/Transform.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;

bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgbaBottomUp, int width,
              int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
        png_write_row(png, rgbaBottomUp.data() +
                               static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

// Offscreen drawing target: framebuffer objects are fetched here, the game never needs them.
struct Target {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

    bool init() {
        genFramebuffers =
            reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glGenFramebuffers"));
        bindFramebuffer =
            reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
        framebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(
            SDL_GL_GetProcAddress("glFramebufferRenderbuffer"));
        genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(
            SDL_GL_GetProcAddress("glGenRenderbuffers"));
        bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(
            SDL_GL_GetProcAddress("glBindRenderbuffer"));
        renderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(
            SDL_GL_GetProcAddress("glRenderbufferStorage"));
        if (!genFramebuffers || !bindFramebuffer || !framebufferRenderbuffer || !genRenderbuffers ||
            !bindRenderbuffer || !renderbufferStorage) {
            return false;
        }
        GLuint fbo = 0;
        GLuint buffers[2] = {0, 0};
        genFramebuffers(1, &fbo);
        bindFramebuffer(GL_FRAMEBUFFER, fbo);
        genRenderbuffers(2, buffers);
        bindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        bindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        // 16-bit depth like the game's window.
        renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
        glViewport(0, 0, kWidth, kHeight);
        return true;
    }

    std::vector<std::uint8_t> read() const {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

struct Assets {
    Texture wall, wood, grass, white, stars;
    Mesh quad, tree, wallMesh, tallWall, woodMesh, floorWood, background;
    ShaderProgram basic, terrain, gameOver;
};

void loadTexture(Texture& texture, const char* path) {
    texture.load(path);
    texture.upload();
    texture.freePixels();
}

void loadMesh(Mesh& mesh, const char* path) {
    mesh.load(path);
    mesh.upload();
}

void loadAssets(Assets& a) {
    loadTexture(a.wall, "data/wall.bmp");
    loadTexture(a.wood, "data/wood.bmp");
    loadTexture(a.grass, "data/grass.bmp");
    loadTexture(a.white, "data/whitepixel.bmp");
    loadTexture(a.stars, "data/sky/stars/stars.bmp");
    // The game's settings.
    a.stars.setWrap(Texture::wrapRepeat);
    a.wall.setWrap(Texture::wrapRepeat);
    a.wall.setFiltering(Texture::filterNearest);
    a.wood.setWrap(Texture::wrapRepeat);
    a.wood.setFiltering(Texture::filterNearest);
    loadMesh(a.quad, "data/quad.json");
    loadMesh(a.tree, "data/meshes/display/tree.json");
    loadMesh(a.wallMesh, "data/meshes/display/wall.json");
    loadMesh(a.tallWall, "data/meshes/display/tallWall.json");
    loadMesh(a.woodMesh, "data/meshes/display/wood.json");
    loadMesh(a.floorWood, "data/meshes/display/floorWood.json");
    loadMesh(a.background, "data/quadBackground.json");

    const ShaderVariable basicRows[] = {{"mvMat", 0, 16}, {"projMat", 0, 16}};
    const ShaderVariable terrainRows[] = {{"finalMatrix", 0, 16},
                                          {"mvMat", 0, 16},
                                          {"projMat", 0, 16},
                                          {"pos", 0, 2},
                                          {"terrainRay", 0, 1}};
    a.basic.load("data/shaders/basic-fixed");
    a.basic.setVariables(basicRows);
    a.basic.compileAndLink();
    a.terrain.load("data/shaders/conveyor-map");
    a.terrain.setVariables(terrainRows);
    a.terrain.compileAndLink();
    a.gameOver.load("data/shaders/gameover-fixed");
    a.gameOver.setVariables(basicRows);
    a.gameOver.compileAndLink();
}

// view x T(position) x S(scale) x T(-pivot), as a scene object draws.
void drawFlat(Camera& camera, Mesh& mesh, float x, float y, float z, float pivotX, float pivotY,
              float sx = 1.0f, float sy = 1.0f) {
    Transform t;
    t.setModelView(camera.view());
    t.translate(x, y, z);
    t.scale(sx, sy, 1.0f);
    t.translate(-pivotX, -pivotY, 0.0f);
    mesh.draw(t.getModelView());
}

// The level's instance draw: flat inside terrainRay, tipped over the horizon beyond it.
void drawInstance(Camera& camera, Mesh& mesh, float x, float y, float z, float pivot,
                  float terrainRay) {
    const float s = x * x + y * y;
    const float r = terrainRay + 15.0f;
    if (s >= r * r) {
        return;
    }
    if (s <= terrainRay * terrainRay) {
        drawFlat(camera, mesh, x, y, z, pivot, pivot);
        return;
    }
    const float length = std::sqrt(s);
    const float ux = x / length * terrainRay;
    const float uy = y / length * terrainRay;
    // normalise(cross(b, a)) with b = (u, z), a = (u, -10).
    float ax = uy * -10.0f - z * uy;
    float ay = z * ux - ux * -10.0f;
    const float axisLength = std::sqrt(ax * ax + ay * ay);
    ax /= axisLength;
    ay /= axisLength;
    const float angle = std::fmin((length - terrainRay) / 4.0f, 3.14159f);
    Transform t;
    t.setModelView(camera.view());
    t.translate(ux, uy, -4.0f);
    t.rotate(angle, ax, ay, 0.0f);
    t.translate(0.0f, 0.0f, z + 4.0f);
    t.translate(-pivot, -pivot, 0.0f);
    mesh.draw(t.getModelView());
}

void setProjection(Camera& camera) {
    camera.setProjectionIdentity();
    camera.perspective(40.0f, static_cast<float>(kWidth) / kHeight, 1.0f, 1000.0f);
}

void useWith(ShaderProgram& program, Camera& camera) {
    program.use();
    program.setUniformMatrix4("projMat", camera.projection());
}

// One mesh on a little patch of grass, seen from three quarters above.
void renderMesh(Assets& a, Mesh& mesh, Texture& texture, float pivot, float eyeDistance,
                float lookZ, ShaderProgram& program) {
    Camera camera;
    setProjection(camera);
    camera.lookAt(eyeDistance * 0.55f, -eyeDistance * 0.8f, eyeDistance * 0.55f + lookZ, 0.0f, 0.0f,
                  lookZ, 0.0f, 0.0f, 10.0f);
    renderer.clear();
    useWith(program, camera);
    a.grass.bind();
    for (int i = -4; i < 4; ++i) {
        for (int j = -4; j < 4; ++j) {
            drawFlat(camera, a.quad, static_cast<float>(i) + 0.5f, static_cast<float>(j) + 0.5f,
                     0.0f, 0.5f, 0.5f);
        }
    }
    texture.bind();
    drawFlat(camera, mesh, 0.0f, 0.0f, 0.0f, pivot, pivot);
}

// A piece of the level around the house, drawn the way the game draws a frame.
void renderLevel(Assets& a, float yaw, float pitch, float terrainRay) {
    Camera camera;
    setProjection(camera);
    const float d = terrainRay * 3.0f;
    camera.lookAt(std::sin(yaw) * d, -std::cos(yaw) * d, -std::sin(pitch) * d, 0.0f, 0.0f, 0.0f,
                  0.0f, 0.0f, 10.0f);
    renderer.clear();
    useWith(a.basic, camera);
    renderer.setDepthMask(false);
    a.stars.bind();
    drawFlat(camera, a.background, 0.0f, 50.0f, -1.0f, 0.5f, 0.5f, 200.0f, 200.0f);
    renderer.setDepthMask(true);

    const float r = terrainRay + 15.0f;
    useWith(a.terrain, camera);
    a.terrain.setUniform1f("terrainRay", terrainRay);
    a.grass.bind();
    for (int i = -40; i < 40; ++i) {
        for (int j = -40; j < 40; ++j) {
            const float x = static_cast<float>(i);
            const float y = static_cast<float>(j);
            if (x * x + y * y < r * r) {
                a.terrain.setUniform2f("pos", Vector2{x, y});
                drawFlat(camera, a.quad, x, y, 0.0f, 0.5f, 0.5f);
            }
        }
    }

    useWith(a.basic, camera);
    // The level is centred away from the view centre so the house stands near the middle.
    const float ox = 6.0f;
    const float oy = 0.0f;
    a.white.bind();
    for (int i = 0; i < 7; ++i) {
        drawInstance(camera, a.tree, 3 - ox, -4.0f * static_cast<float>(i + 1) - oy, 0.0f, 0.5f,
                     terrainRay);
        drawInstance(camera, a.tree, 11 - ox, -4.0f * static_cast<float>(i + 1) - oy, 0.0f, 0.5f,
                     terrainRay);
    }
    a.wall.bind();
    const float tall[][2] = {{0, 0},  {0, 2},  {0, 4},  {0, 6},  {0, 8},   {0, 10},
                             {0, 12}, {2, 0},  {4, 0},  {8, 0},  {10, 0},  {12, 0},
                             {12, 2}, {12, 4}, {12, 6}, {12, 8}, {12, 10}, {12, 12},
                             {2, 12}, {4, 12}, {6, 12}, {8, 12}, {10, 12}};
    for (const auto& p : tall) {
        drawInstance(camera, a.tallWall, p[0] - ox, p[1] - oy, 0.0f, 1.0f, terrainRay);
    }
    const float shortWalls[][3] = {{6, 0, 4}, {0, 0, 6}, {12, 0, 6}, {0, 12, 6}, {12, 12, 6}};
    for (const auto& p : shortWalls) {
        drawInstance(camera, a.wallMesh, p[0] - ox, p[1] - oy, p[2], 1.0f, terrainRay);
    }
    for (int i = 0; i <= 16; ++i) {
        const float x = -16.0f + 2.0f * static_cast<float>(i);
        drawInstance(camera, a.wallMesh, x - ox, -30 - oy, (x > -2 && x < 14) ? 4.0f : 0.0f, 1.0f,
                     terrainRay);
        drawInstance(camera, a.wallMesh, -30 - ox, x - oy, 0.0f, 1.0f, terrainRay);
        drawInstance(camera, a.wallMesh, 30 - ox, x - oy, 0.0f, 1.0f, terrainRay);
    }
    a.wood.bind();
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            const float x = 2.0f * static_cast<float>(i) + 2.0f - ox;
            const float y = 2.0f * static_cast<float>(j) + 2.0f - oy;
            if ((i + j) % 3 != 0) {
                drawInstance(camera, a.woodMesh, x, y, 0.0f, 1.0f, terrainRay);
            }
            drawInstance(camera, a.floorWood, x, y, 0.0f, 1.0f, terrainRay);
        }
    }
    const float floors[][2] = {{6, 0}, {6, -2}, {4, -2}, {8, -2}};
    for (const auto& p : floors) {
        drawInstance(camera, a.floorWood, p[0] - ox, p[1] - oy, 0.0f, 1.0f, terrainRay);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        writeDiagnostic(stderr, "usage: %s OUT_DIR", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        writeDiagnostic(stderr, "SDL: %s", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_Window* window =
        SDL_CreateWindow("render", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr || !renderer.initRenderState()) {
        writeDiagnostic(stderr, "no GL context: %s", SDL_GetError());
        return 1;
    }
    Target target;
    if (!target.init()) {
        writeDiagnostic(stderr, "no framebuffer objects");
        return 1;
    }
    int written = 0;
    auto save = [&](const std::string& name) {
        if (writePng(out + "/" + name + ".png", target.read(), kWidth, kHeight)) {
            ++written;
        } else {
            writeDiagnostic(stderr, "could not write %s", name.c_str());
        }
    };
    {
        Assets a;
        loadAssets(a);
        renderMesh(a, a.wallMesh, a.wall, 1.0f, 8.0f, 1.0f, a.basic);
        save("wall");
        renderMesh(a, a.tallWall, a.wall, 1.0f, 14.0f, 3.0f, a.basic);
        save("tallWall");
        renderMesh(a, a.woodMesh, a.wood, 1.0f, 8.0f, 0.8f, a.basic);
        save("wood");
        renderMesh(a, a.floorWood, a.wood, 1.0f, 6.0f, 0.0f, a.basic);
        save("floorWood");
        renderMesh(a, a.tree, a.white, 0.5f, 6.0f, 1.3f, a.basic);
        save("tree");
        renderMesh(a, a.quad, a.grass, 0.5f, 3.0f, 0.0f, a.basic);
        save("quad");
        renderMesh(a, a.tree, a.white, 0.5f, 6.0f, 1.3f, a.gameOver);
        save("tree-gameover");
        renderLevel(a, 0.0f, 0.0f, 15.0f);
        save("level-start");
        renderLevel(a, 0.6f, -0.5f, 15.0f);
        save("level-orbit");
        renderLevel(a, -0.3f, -1.1f, 6.0f);
        save("level-zoomed");
    }
    // NOTE: the context and window are left to process exit: unloading the driver first
    // would hide its allocations from the leak checker's suppressions.
    writeDiagnostic(stdout, "%d pictures written to %s", written, out.c_str());
    return written == 10 ? 0 : 1;
}
