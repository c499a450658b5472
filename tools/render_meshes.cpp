// render_meshes: renders every game mesh with its texture, and a piece of the curved level,
// offscreen on the real GL driver and writes PNG pictures for looking at the data.
//
// Usage: render_meshes OUT_DIR   (run from the repository root so data/ resolves)
#include <png.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "app/Diagnostics.h"
#include "app/Renderer.h"
#include "assets/Mesh.h"
#include "game/GameAssets.h"
#include "math/Camera.h"
#include "math/Transform.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "support/OffscreenContext.h"

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

// The game's own assets, loaded by its own steps (the collider is not needed here).
void loadAssets(GameAssets& a) {
    a.decodeTextures();
    a.uploadTextures();
    a.loadMeshes();
    a.uploadMeshes();
    a.buildShaders();
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

// One mesh with its texture on a little patch of grass, seen from three quarters above.
struct MeshView {
    const char* name;  // of the picture
    Mesh GameAssets::*mesh;
    Texture GameAssets::*texture;
    ShaderProgram GameAssets::*program;
    float pivot;        // as the level places the mesh
    float eyeDistance;  // from the mesh's foot
    float lookZ;        // height looked at
};

using A = GameAssets;  // keeps each view on one line
constexpr MeshView meshViews[] = {
    {"wall", &A::wallMesh, &A::wallTexture, &A::basicShader, 1.0f, 8.0f, 1.0f},
    {"tallWall", &A::tallWallMesh, &A::wallTexture, &A::basicShader, 1.0f, 14.0f, 3.0f},
    {"wood", &A::woodMesh, &A::woodTexture, &A::basicShader, 1.0f, 8.0f, 0.8f},
    {"floorWood", &A::floorWoodMesh, &A::woodTexture, &A::basicShader, 1.0f, 6.0f, 0.0f},
    {"tree", &A::treeMesh, &A::whiteTexture, &A::basicShader, 0.5f, 6.0f, 1.3f},
    {"quad", &A::quadMesh, &A::grassTexture, &A::basicShader, 0.5f, 3.0f, 0.0f},
    {"tree-gameover", &A::treeMesh, &A::whiteTexture, &A::gameOverShader, 0.5f, 6.0f, 1.3f},
};

void renderMesh(GameAssets& a, const MeshView& view) {
    Camera camera;
    setProjection(camera);
    const float d = view.eyeDistance;
    camera.lookAt(d * 0.55f, -d * 0.8f, d * 0.55f + view.lookZ, 0.0f, 0.0f, view.lookZ, 0.0f, 0.0f,
                  10.0f);
    renderer.clear();
    useWith(a.*view.program, camera);
    a.grassTexture.bind();
    for (int i = -4; i < 4; ++i) {
        for (int j = -4; j < 4; ++j) {
            drawFlat(camera, a.quadMesh, static_cast<float>(i) + 0.5f, static_cast<float>(j) + 0.5f,
                     0.0f, 0.5f, 0.5f);
        }
    }
    (a.*view.texture).bind();
    drawFlat(camera, a.*view.mesh, 0.0f, 0.0f, 0.0f, view.pivot, view.pivot);
}

// The level seen from yaw and pitch (radians) at a zoom of terrainRay.
struct LevelView {
    const char* name;  // of the picture
    float yaw;
    float pitch;
    float terrainRay;
};

constexpr LevelView levelViews[] = {
    {"level-start", 0.0f, 0.0f, 15.0f},
    {"level-orbit", 0.6f, -0.5f, 15.0f},
    {"level-zoomed", -0.3f, -1.1f, 6.0f},
};

// A piece of the level around the house, drawn the way the game draws a frame.
void renderLevel(GameAssets& a, const LevelView& view) {
    const float yaw = view.yaw;
    const float pitch = view.pitch;
    const float terrainRay = view.terrainRay;
    Camera camera;
    setProjection(camera);
    const float d = terrainRay * 3.0f;
    camera.lookAt(std::sin(yaw) * d, -std::cos(yaw) * d, -std::sin(pitch) * d, 0.0f, 0.0f, 0.0f,
                  0.0f, 0.0f, 10.0f);
    renderer.clear();
    useWith(a.basicShader, camera);
    renderer.setDepthMask(false);
    a.starsTexture.bind();
    drawFlat(camera, a.backgroundMesh, 0.0f, 50.0f, -1.0f, 0.5f, 0.5f, 200.0f, 200.0f);
    renderer.setDepthMask(true);

    const float r = terrainRay + 15.0f;
    useWith(a.terrainShader, camera);
    a.terrainShader.setUniform1f("terrainRay", terrainRay);
    a.grassTexture.bind();
    for (int i = -40; i < 40; ++i) {
        for (int j = -40; j < 40; ++j) {
            const float x = static_cast<float>(i);
            const float y = static_cast<float>(j);
            if (x * x + y * y < r * r) {
                a.terrainShader.setUniform2f("pos", Vector2{x, y});
                drawFlat(camera, a.quadMesh, x, y, 0.0f, 0.5f, 0.5f);
            }
        }
    }

    useWith(a.basicShader, camera);
    // The level is centred away from the view centre so the house stands near the middle.
    const float ox = 6.0f;
    const float oy = 0.0f;
    a.whiteTexture.bind();
    for (int i = 0; i < 7; ++i) {
        const float y = -4.0f * static_cast<float>(i + 1) - oy;
        drawInstance(camera, a.treeMesh, 3.0f - ox, y, 0.0f, 0.5f, terrainRay);
        drawInstance(camera, a.treeMesh, 11.0f - ox, y, 0.0f, 0.5f, terrainRay);
    }
    a.wallTexture.bind();
    const float tall[][2] = {{0, 0},  {0, 2},  {0, 4},  {0, 6},  {0, 8},   {0, 10},
                             {0, 12}, {2, 0},  {4, 0},  {8, 0},  {10, 0},  {12, 0},
                             {12, 2}, {12, 4}, {12, 6}, {12, 8}, {12, 10}, {12, 12},
                             {2, 12}, {4, 12}, {6, 12}, {8, 12}, {10, 12}};
    for (const auto& p : tall) {
        drawInstance(camera, a.tallWallMesh, p[0] - ox, p[1] - oy, 0.0f, 1.0f, terrainRay);
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
    a.woodTexture.bind();
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            const float x = 2.0f * static_cast<float>(i) + 2.0f - ox;
            const float y = 2.0f * static_cast<float>(j) + 2.0f - oy;
            if ((i + j) % 3 != 0) {
                drawInstance(camera, a.woodMesh, x, y, 0.0f, 1.0f, terrainRay);
            }
            drawInstance(camera, a.floorWoodMesh, x, y, 0.0f, 1.0f, terrainRay);
        }
    }
    const float floors[][2] = {{6, 0}, {6, -2}, {4, -2}, {8, -2}};
    for (const auto& p : floors) {
        drawInstance(camera, a.floorWoodMesh, p[0] - ox, p[1] - oy, 0.0f, 1.0f, terrainRay);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        writeDiagnostic(stderr, "usage: %s OUT_DIR", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    OffscreenContext context;
    if (!context.create()) {
        writeDiagnostic(stderr, "render_meshes: %s", context.getError().c_str());
        return 1;
    }
    context.useFramebuffer(kWidth, kHeight);
    int written = 0;
    auto save = [&](const std::string& name) {
        if (writePng(out + "/" + name + ".png", context.readPixels(0, 0, kWidth, kHeight), kWidth,
                     kHeight)) {
            ++written;
        } else {
            writeDiagnostic(stderr, "could not write %s", name.c_str());
        }
    };
    {
        GameAssets a;
        loadAssets(a);
        for (const MeshView& view : meshViews) {
            renderMesh(a, view);
            save(view.name);
        }
        for (const LevelView& view : levelViews) {
            renderLevel(a, view);
            save(view.name);
        }
    }
    // NOTE: the context and window are left to process exit: unloading the driver first
    // would hide its allocations from the leak checker's suppressions.
    writeDiagnostic(stdout, "%d pictures written to %s", written, out.c_str());
    return written == static_cast<int>(std::size(meshViews) + std::size(levelViews)) ? 0 : 1;
}
