// Tests of whole frames of the real game with the real data/, read back from Mesa.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/Game.h"
#include "support/GlContext.h"

namespace {

constexpr int width = 1280;
constexpr int height = 720;

struct Colour {
    int r, g, b;
};

class GameFrame : public ::testing::Test {
protected:
    void SetUp() override {
        GlContext::get().useFramebuffer(width, height);
        game = std::make_unique<Game>();
        ASSERT_TRUE(game->init());
        game->resize(width, height);
    }
    void frame() {
        game->render();
        pixels = GlContext::get().readPixels(0, 0, width, height);
    }
    // Mean colour of a square patch around (x, y), y counted from the top like a screenshot.
    Colour patch(int x, int y, int half = 4) const {
        long sum[3] = {0, 0, 0};
        int count = 0;
        for (int py = y - half; py <= y + half; ++py) {
            for (int px = x - half; px <= x + half; ++px) {
                const std::size_t i = (static_cast<std::size_t>(height - 1 - py) * width + px) * 4;
                for (int c = 0; c < 3; ++c) sum[c] += pixels[i + c];
                ++count;
            }
        }
        return {static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count),
                static_cast<int>(sum[2] / count)};
    }
    static bool isGrass(Colour c) { return c.g > c.r + 30 && c.g > c.b + 30; }
    static bool isBrick(Colour c) { return c.r > c.g + 30 && c.r > c.b + 30; }
    static bool isWhite(Colour c) { return c.r == 255 && c.g == 255 && c.b == 255; }
    static bool isNight(Colour c) { return c.r + c.g + c.b < 200 && c.b >= c.r; }
    int count(bool (*test)(Colour)) const {
        int n = 0;
        for (int y = 8; y < height - 8; y += 16) {
            for (int x = 8; x < width - 8; x += 16) n += test(patch(x, y, 0)) ? 1 : 0;
        }
        return n;
    }

    std::unique_ptr<Game> game;
    std::vector<std::uint8_t> pixels;
};

}  // namespace

TEST_F(GameFrame, DefaultViewGrassHouseBackdropAndSky) {
    frame();
    frame();  // the backdrop needs the previous frame's projection
    // Looking along +y from the ground's level: the disc fills the middle, the house (x 0 to
    // 12, its front wall at y = 0) stands on it right of centre, white sky above the horizon
    // and the star floor below it at the sides.
    EXPECT_TRUE(isGrass(patch(640, 460))) << patch(640, 460).g;
    EXPECT_TRUE(isGrass(patch(400, 420)));
    const Colour wall = patch(660, 300);
    EXPECT_TRUE(isBrick(wall)) << wall.r << " " << wall.g << " " << wall.b;
    EXPECT_TRUE(isWhite(patch(640, 60)));
    EXPECT_TRUE(isWhite(patch(300, 250)));  // nothing stands left of the house's line there
    EXPECT_TRUE(isNight(patch(60, 600, 8)));
    EXPECT_TRUE(isNight(patch(1220, 450, 8)));

    // The first frame's backdrop had no projection yet: where the stars are now was white.
    auto fresh = std::make_unique<Game>();
    ASSERT_TRUE(fresh->init());
    fresh->resize(width, height);
    std::swap(game, fresh);
    frame();
    EXPECT_TRUE(isWhite(patch(60, 600, 8)));
    EXPECT_TRUE(isGrass(patch(640, 460)));
}

TEST_F(GameFrame, RenderLeavesPrototypesAtOriginAndCountsOnlyTheDisc) {
    frame();
    for (PrototypeKind kind : {PrototypeKind::tree, PrototypeKind::wall, PrototypeKind::tallWall,
                               PrototypeKind::wood, PrototypeKind::floorWood}) {
        const SceneObject& p = game->getPrototype(kind);
        EXPECT_EQ(p.position.x, 0.0f);
        EXPECT_EQ(p.position.y, 0.0f);
        EXPECT_EQ(p.position.z, 0.0f);
    }
    EXPECT_EQ(game->getGrassTile().position.x, 0.0f);
    EXPECT_EQ(game->getGrassTile().position.y, 0.0f);
    EXPECT_EQ(ShaderProgram::current, &game->getBasicShader());
    EXPECT_FLOAT_EQ(game->getCameraRig().getEye().y, -45.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GameFrame, PitchedDownSeesTheYardFromAbove) {
    game->setCameraAngles(Vector2(0.0f, -0.7f));
    frame();
    frame();
    // From above the disc is a round lawn with the house on it and stars all around.
    EXPECT_TRUE(isGrass(patch(500, 500)));
    EXPECT_TRUE(isNight(patch(100, 100, 8)));
    EXPECT_TRUE(isNight(patch(1180, 100, 8)));
    EXPECT_GT(count(isBrick), 40);
    EXPECT_EQ(count(isWhite), 0);  // the star floor covers the whole sky in this view
}

TEST_F(GameFrame, ZoomedAllTheWayInStillShowsTheWorld) {
    game->setTerrainRay(0.0f);
    frame();
    frame();
    const Matrix4& view = game->getWorldCamera().view();
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(view[i])) << i;
    EXPECT_TRUE(std::isfinite(game->getCameraRig().getEye().y));
    // Not a blank white frame: the eye stands by the house's corner, whose wall fills the view.
    EXPECT_LT(count(isWhite), 50);
    EXPECT_GT(count(isBrick), 1000);
    EXPECT_TRUE(isBrick(patch(640, 300)));
}

TEST_F(GameFrame, OrthographicAndPannedViews) {
    game->setGroundOffset(Vector2(6.0f, 0.0f));
    frame();
    frame();
    const int bricksPanned = count(isBrick);
    // Panned onto the house: it now stands in the middle of the picture.
    EXPECT_TRUE(isBrick(patch(640, 300)));
    game->setGroundOffset(Vector2(0.0f, 0.0f));
    frame();
    EXPECT_NE(count(isBrick), bricksPanned);
}
