// Tests of the shader files under data/shaders: they build on Mesa with the names the game
// addresses, colour as the game expects and bend the grass exactly like the level.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/GLFunctions.h"
#include "app/Renderer.h"
#include "assets/Mesh.h"
#include "game/AssetManifest.h"
#include "game/GameAssets.h"
#include "math/Camera.h"
#include "math/Transform.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "support/CapturedStream.h"
#include "support/GlContext.h"

using namespace GLFunctions;
using AssetManifest::pathOf;

namespace {

// Builds a program as the game does; any message fails the test.
void build(ShaderProgram& program, const ShaderAsset& asset) {
    CapturedStream out(1);
    CapturedStream err(2);
    const bool built = GameAssets::buildShader(program, asset);
    EXPECT_EQ(out.finish(), "") << asset.name;
    EXPECT_EQ(err.finish(), "") << asset.name;
    EXPECT_TRUE(built) << asset.name;
}

// The game's programs and the white texture, built and uploaded as the game does; no program
// is left current afterwards.
class DataShaders : public ::testing::Test {
protected:
    void SetUp() override {
        GlContext::get();
        for (const ShaderAsset& asset : AssetManifest::shaders) {
            build(assets.*asset.member, asset);
        }
        ASSERT_TRUE(assets.whiteTexture.load(pathOf<&GameAssets::whiteTexture>));
        assets.whiteTexture.upload();
    }
    void TearDown() override {
        if (ShaderProgram::current != nullptr) {
            ShaderProgram::current->disableAttributes();
        }
        glUseProgram(0);
        ShaderProgram::clearCurrent();
    }

    GameAssets assets;
};

Matrix4 identity() {
    Matrix4 m;
    setIdentity(m);
    return m;
}

// A square covering the whole viewport in clip space, one colour, one texture point.
void makeScreenQuad(Mesh& mesh, float r, float g, float b, float u, float v) {
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        mesh.addVertex(c[0], c[1], 0.0f);
        mesh.addColor(r, g, b);
        mesh.addUv(u, v);
    }
    mesh.addTriangle(0, 1, 2);
    mesh.addTriangle(0, 2, 3);
    mesh.updateCounts();
    mesh.upload();
}

struct Coverage {
    int count = 0;
    double x = 0.0;
    double y = 0.0;
};

// Pixels brighter than the black clear colour, and their centre.
Coverage coverage(const std::vector<std::uint8_t>& rgba, int size) {
    Coverage c;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (rgba[(static_cast<std::size_t>(y) * size + x) * 4] > 128) {
                ++c.count;
                c.x += x;
                c.y += y;
            }
        }
    }
    if (c.count > 0) {
        c.x /= c.count;
        c.y /= c.count;
    }
    return c;
}

}  // namespace

TEST_F(DataShaders, EveryPairBuildsWithTheGameNamesActive) {
    for (const ShaderAsset& asset : AssetManifest::shaders) {
        ShaderProgram& program = assets.*asset.member;
        GLint linked = GL_FALSE;
        glGetProgramiv(program.getHandles().program, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE) << asset.name;
        program.use();
        for (const ShaderVariable& row : program.getAttributes()) {
            EXPECT_GE(row.location, 0) << asset.name << " " << row.name;
        }
        // Every uniform the game sets must be live; "finalMatrix" too, since it is declared.
        ASSERT_EQ(program.getUniforms().size(), asset.uniforms.size()) << asset.name;
        for (const ShaderVariable& row : program.getUniforms()) {
            EXPECT_GE(row.location, 0) << asset.name << " " << row.name;
        }
    }
}

TEST_F(DataShaders, ColourIsTextureTimesVertexColourWithTextureAlpha) {
    GlContext& gl = GlContext::get();
    gl.useFramebuffer(8, 8);
    ShaderProgram& basic = assets.basicShader;
    ShaderProgram& gameOver = assets.gameOverShader;
    Texture& white = assets.whiteTexture;
    // A lit and a dark texel of the font, whose alpha is its red channel: the centre of
    // '#''s middle bar and the bottom-left corner of the page (an empty cell).
    Texture font;
    ASSERT_TRUE(font.load(pathOf<&GameAssets::fontTexture>));
    const float size = static_cast<float>(font.getWidth());
    const int cell = font.getWidth() / 16;
    const int litX = ('#' % 16) * cell + cell / 2;
    const int litYFromTop = ('#' / 16) * cell + 5;  // the glyph's upper bar
    const std::size_t litAt =
        (static_cast<std::size_t>(font.getHeight() - 1 - litYFromTop) * font.getWidth() + litX) * 4;
    ASSERT_EQ(font.getPixels()[litAt + 3], 255);
    const float litU = (static_cast<float>(litX) + 0.5f) / size;
    const float litV = (static_cast<float>(font.getHeight() - 1 - litYFromTop) + 0.5f) / size;
    font.setFiltering(false);
    font.upload();
    font.setFiltering(false);

    Mesh onWhite;
    makeScreenQuad(onWhite, 1.0f, 0.5f, 0.25f, 0.5f, 0.5f);
    Mesh onGlyph;
    makeScreenQuad(onGlyph, 0.2f, 0.4f, 0.8f, litU, litV);
    Mesh onBlank;
    makeScreenQuad(onBlank, 0.2f, 0.4f, 0.8f, 0.5f / size, 0.5f / size);

    auto drawWith = [&](ShaderProgram& program, Texture& texture, Mesh& mesh) {
        renderer.clear();  // white
        program.use();
        program.setUniformMatrix4("projMat", identity());
        texture.bind();
        mesh.draw(identity());
        return gl.pixel(4, 4);
    };
    EXPECT_EQ(drawWith(basic, white, onWhite), 0xFF8040FFu);
    EXPECT_EQ(drawWith(basic, font, onGlyph), 0x3366CCFFu);
    EXPECT_EQ(drawWith(basic, font, onBlank), 0xFFFFFFFFu);  // alpha 0: the page shows through

    // Greyscale: 0.299 * 255 + 0.587 * 127.5 + 0.114 * 63.75 = 158.4.
    const std::uint32_t grey = drawWith(gameOver, white, onWhite);
    const int r = static_cast<int>(grey >> 24);
    EXPECT_NEAR(r, 158, 1);
    EXPECT_EQ((grey >> 16) & 0xFF, static_cast<std::uint32_t>(r));
    EXPECT_EQ((grey >> 8) & 0xFF, static_cast<std::uint32_t>(r));
    EXPECT_EQ(drawWith(gameOver, font, onBlank), 0xFFFFFFFFu);
}

// Ground drawn by the terrain program lands where the level draws an instance at the same
// ground position: flat inside terrainRay, tipped over the horizon beyond it, turned half
// round at most. The program bends each vertex and an instance turns as a whole, so the two
// agree exactly for a small patch; a whole tile is compared where both stay flat.
TEST_F(DataShaders, TerrainBendsTilesLikeTheLevelInstances) {
    GlContext& gl = GlContext::get();
    const int size = 512;
    gl.useFramebuffer(size, size);
    ShaderProgram& basic = assets.basicShader;
    ShaderProgram& terrain = assets.terrainShader;
    Texture& white = assets.whiteTexture;
    Mesh quad;
    ASSERT_TRUE(quad.load(pathOf<&GameAssets::quadMesh>));
    quad.upload();
    // A 0.2 x 0.2 patch round the tile's pivot (0.5, 0.5).
    Mesh patch;
    const float corners[4][2] = {{0.4f, 0.4f}, {0.6f, 0.4f}, {0.6f, 0.6f}, {0.4f, 0.6f}};
    for (const auto& c : corners) {
        patch.addVertex(c[0], c[1], 0.0f);
        patch.addColor(1.0f, 1.0f, 1.0f);
        patch.addUv(0.5f, 0.5f);
    }
    patch.addTriangle(0, 1, 2);
    patch.addTriangle(0, 2, 3);
    patch.updateCounts();
    patch.upload();

    Camera camera;
    camera.setProjectionIdentity();
    camera.ortho(-16.0f, 16.0f, -16.0f, 16.0f, -100.0f, 100.0f);
    camera.lookAt(10.0f, -13.0f, 8.0f, 0.0f, 0.0f, -3.0f, 0.0f, 0.0f, 10.0f);
    const float terrainRay = 5.0f;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    // Both sides count here: past a half turn the tiles face down.
    glDisable(GL_CULL_FACE);

    auto asTile = [&](Mesh& mesh, float x, float y) {
        renderer.clear();
        terrain.use();
        terrain.setUniformMatrix4("projMat", camera.projection());
        terrain.setUniform1f("terrainRay", terrainRay);
        terrain.setUniform2f("pos", Vector2{x, y});
        white.bind();
        Transform t;
        t.setModelView(camera.view());
        t.translate(x, y, 0.0f);
        t.translate(-0.5f, -0.5f, 0.0f);
        mesh.draw(t.getModelView());
        return coverage(gl.readPixels(0, 0, size, size), size);
    };
    // The level's instance draw, with the tile's pivot (0.5, 0.5) and height 0.
    auto asInstance = [&](Mesh& mesh, float x, float y) {
        renderer.clear();
        basic.use();
        basic.setUniformMatrix4("projMat", camera.projection());
        white.bind();
        Transform t;
        t.setModelView(camera.view());
        const float s = std::sqrt(x * x + y * y);
        if (s <= terrainRay) {
            t.translate(x, y, 0.0f);
        } else {
            const float ux = x / s * terrainRay;
            const float uy = y / s * terrainRay;
            const float ax = uy * -10.0f;  // normalise(cross((u, 0), (u, -10)))
            const float ay = ux * 10.0f;
            const float axisLength = std::sqrt(ax * ax + ay * ay);
            t.translate(ux, uy, -4.0f);
            t.rotate(std::fmin((s - terrainRay) / 4.0f, 3.14159f), ax / axisLength, ay / axisLength,
                     0.0f);
            t.translate(0.0f, 0.0f, 4.0f);
        }
        t.translate(-0.5f, -0.5f, 0.0f);
        mesh.draw(t.getModelView());
        return coverage(gl.readPixels(0, 0, size, size), size);
    };

    const float places[][2] = {
        {2.0f, -1.0f},                     // flat
        {terrainRay + 3.14159f, 0.0f},     // a quarter of a half turn
        {0.0f, -(terrainRay + 6.28318f)},  // standing on its edge
        {6.0f, 4.5f},                      // 2.5 units past: tipped by 0.625
        {-11.0f, -11.0f},                  // most of a half turn
        {-14.0f, 9.0f},                    // past 4 pi: upside down under the planet
    };
    for (const auto& p : places) {
        const Coverage tile = asTile(patch, p[0], p[1]);
        const Coverage instance = asInstance(patch, p[0], p[1]);
        EXPECT_GT(instance.count, 0) << p[0] << ", " << p[1];
        EXPECT_NEAR(tile.count, instance.count, 0.25 * instance.count + 4) << p[0] << ", " << p[1];
        EXPECT_NEAR(tile.x, instance.x, 0.75) << p[0] << ", " << p[1];
        EXPECT_NEAR(tile.y, instance.y, 0.75) << p[0] << ", " << p[1];
    }
    // Inside the radius the terrain program changes nothing at all.
    const Coverage flatTile = asTile(quad, 2.0f, -1.0f);
    const Coverage flatInstance = asInstance(quad, 2.0f, -1.0f);
    EXPECT_GT(flatTile.count, 100);
    EXPECT_EQ(flatTile.count, flatInstance.count);
    EXPECT_DOUBLE_EQ(flatTile.x, flatInstance.x);
    EXPECT_DOUBLE_EQ(flatTile.y, flatInstance.y);

    glEnable(GL_CULL_FACE);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

// What a browser's WebGL2 context gets: the same files with the GLSL ES 1.00 lines in front.
// Mesa compiles "#version 100" on a desktop context too, so a construct outside the subset
// both languages share fails here, not only in the page.
TEST(DataShaderSources, NameNoVersionAndBuildAsGlslEs) {
    GlContext::get();
    for (const ShaderAsset& asset : AssetManifest::shaders) {
        const GLuint program = glCreateProgram();
        const struct {
            GLenum stage;
            const char* ending;
        } stages[] = {{GL_VERTEX_SHADER, ".vert"}, {GL_FRAGMENT_SHADER, ".frag"}};
        std::vector<GLuint> shaders;
        for (const auto& stage : stages) {
            const std::string path = std::string(asset.name) + stage.ending;
            std::ifstream file(path, std::ios::binary);
            std::ostringstream text;
            text << file.rdbuf();
            const std::string body = text.str();
            ASSERT_FALSE(body.empty()) << path;
            EXPECT_NE(body.compare(0, 8, "#version"), 0) << path << " names its own version";
            const GLuint shader = glCreateShader(stage.stage);
            const GLchar* sources[2] = {shaderPrelude(stage.stage, true), body.c_str()};
            glShaderSource(shader, 2, sources, nullptr);
            glCompileShader(shader);
            GLint status = GL_FALSE;
            glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
            char log[2048] = "";
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            EXPECT_EQ(status, GL_TRUE) << path << ":\n" << log;
            glAttachShader(program, shader);
            shaders.push_back(shader);
        }
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << asset.name;
        for (const GLuint shader : shaders) {
            glDetachShader(program, shader);
            glDeleteShader(shader);
        }
    }
}
