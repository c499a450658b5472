// Tests of Game::update over scripted key sequences: latches, camera modes, movement, labels.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include "app/Keyboard.h"
#include "game/Game.h"

namespace {

std::set<int> keysDown;
bool scriptedKey(int key) { return keysDown.count(key) != 0; }
int zeroRand() { return 0; }

class GameUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        keysDown.clear();
        keyboard.setKeyState(&scriptedKey);
        game = std::make_unique<Game>();
        game->resetLevel(&zeroRand);
    }
    void TearDown() override {
        keyboard.setKeyState(nullptr);
        keysDown.clear();
    }
    // One update with exactly these keys held.
    void frame(std::set<int> keys, float dt = 0.1f) {
        keysDown = keys;
        game->update(dt);
    }

    std::unique_ptr<Game> game;
};

}  // namespace

TEST_F(GameUpdate, HeldKeysActOnceAndBothLatchesWorkInOneFrame) {
    EXPECT_EQ(game->getCameraRig().getMode(), cameraPan);
    EXPECT_TRUE(game->getCameraRig().isPerspective());
    for (int i = 0; i < 5; ++i) frame({keySpace});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraOrbit);
    frame({});
    frame({keySpace});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraZoom);
    frame({});
    frame({keySpace});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraPan);  // wraps after three

    for (int i = 0; i < 5; ++i) frame({keyF2});
    EXPECT_FALSE(game->getCameraRig().isPerspective());
    frame({});
    frame({keyF2});
    EXPECT_TRUE(game->getCameraRig().isPerspective());

    frame({});
    frame({keySpace, keyF2});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraOrbit);
    EXPECT_FALSE(game->getCameraRig().isPerspective());
    // Releasing one key re-arms only that one.
    frame({keyF2});
    frame({keyF2, keySpace});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraZoom);
    EXPECT_FALSE(game->getCameraRig().isPerspective());
    frame({keySpace});
    frame({keySpace, keyF2});
    EXPECT_TRUE(game->getCameraRig().isPerspective());
    EXPECT_EQ(game->getCameraRig().getMode(), cameraZoom);
    // F1, F3 and F4 do nothing.
    frame({keyF1, keyF3, keyF4});
    EXPECT_EQ(game->getCameraRig().getMode(), cameraZoom);
    EXPECT_TRUE(game->getCameraRig().isPerspective());
}

TEST_F(GameUpdate, MovementSingleAxisAndDiagonal) {
    frame({keyRight}, 0.5f);
    EXPECT_FLOAT_EQ(game->getPlayer().position.x, 5.0f);
    EXPECT_EQ(game->getPlayer().position.y, 0.0f);
    frame({keyUp, keyRight}, 1.0f);
    EXPECT_FLOAT_EQ(game->getPlayer().position.x, 5.0f + 7.07f);
    EXPECT_FLOAT_EQ(game->getPlayer().position.y, 7.07f);
    // Left wins over Right, Down only when Up is not held.
    frame({keyLeft, keyRight}, 0.1f);
    EXPECT_FLOAT_EQ(game->getPlayer().position.x, 5.0f + 7.07f - 1.0f);
    frame({keyDown}, 0.1f);
    EXPECT_FLOAT_EQ(game->getPlayer().position.y, 7.07f - 1.0f);
    EXPECT_EQ(game->getPlayer().position.z, -2.0f);
}

TEST_F(GameUpdate, PanMovesGroundWithPlayerUntilTheClamp) {
    for (int i = 1; i <= 20; ++i) {
        frame({keyRight}, 0.1f);  // 1 unit a frame
        const float walked = static_cast<float>(i);
        const float expected = walked < 25.0f ? walked : 25.0f;
        EXPECT_NEAR(game->getCameraRig().getGroundOffset().x, expected, 1e-4f) << i;
        EXPECT_NEAR(game->getPlayer().position.x, walked, 1e-4f) << i;
    }
    for (int i = 0; i < 10; ++i) frame({keyRight}, 0.1f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().x, 25.0f);
    EXPECT_NEAR(game->getPlayer().position.x, 30.0f, 1e-3f);  // the player is not clamped
    frame({keyDown, keyLeft}, 100.0f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().x, -25.0f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().y, -25.0f);
    frame({keyUp}, 100.0f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().y, 25.0f);
    // Pan does not touch the orbit or the zoom.
    EXPECT_EQ(game->getCameraRig().getAngles().x, 0.0f);
    EXPECT_EQ(game->getCameraRig().getTerrainRay(), 15.0f);
}

TEST_F(GameUpdate, OrbitTurnsYawAndPitchWithoutLimits) {
    frame({keySpace});
    frame({keyRight, keyDown}, 0.5f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getAngles().x, 0.5f * 0.707f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getAngles().y, -0.5f * 0.707f);
    frame({keyUp}, 10.0f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getAngles().y, -0.5f * 0.707f + 10.0f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().x, 0.0f);
    EXPECT_EQ(game->getCameraRig().getTerrainRay(), 15.0f);
}

TEST_F(GameUpdate, ZoomStopsAtZero) {
    frame({keySpace});
    frame({});
    frame({keySpace});
    ASSERT_EQ(game->getCameraRig().getMode(), cameraZoom);
    frame({keyUp}, 0.5f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getTerrainRay(), 20.0f);
    frame({keyDown}, 1.9f);
    EXPECT_NEAR(game->getCameraRig().getTerrainRay(), 1.0f, 1e-4f);
    frame({keyDown}, 0.2f);
    EXPECT_EQ(game->getCameraRig().getTerrainRay(), 0.0f);
    frame({keyDown}, 0.2f);
    EXPECT_EQ(game->getCameraRig().getTerrainRay(), 0.0f);
    frame({keyLeft}, 0.2f);  // sideways does not zoom
    EXPECT_EQ(game->getCameraRig().getTerrainRay(), 0.0f);
    frame({keyUp}, 0.1f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getTerrainRay(), 1.0f);
    EXPECT_EQ(game->getCameraRig().getGroundOffset().y, 0.0f);
}

TEST_F(GameUpdate, ScoreFollowerAndLabelsFrameByFrame) {
    // The position label shows the follower's previous position, which trails the player.
    frame({keyRight}, 0.25f);
    EXPECT_STREQ(game->getPositionText(), "0 0");
    EXPECT_STREQ(game->getMultiplierText(), "x3");
    EXPECT_STREQ(game->getScoreText(), "11");  // 0.25 x 45 = 11.25
    EXPECT_EQ(game->getFollower().position.x, 0.0f);
    EXPECT_EQ(game->getFollower().getAngleZ(), 0.0f);

    frame({keyRight}, 0.25f);
    EXPECT_STREQ(game->getPositionText(), "0 0");
    EXPECT_EQ(game->getFollower().position.x, 2.5f);  // the player before this move
    EXPECT_EQ(game->getFollower().getPreviousPosition().x, 2.5f);
    EXPECT_EQ(game->getFollower().position.z, -1.0f);
    EXPECT_FLOAT_EQ(game->getFollower().getAngleZ(), 22.5f);  // elapsed 0.25 before this frame
    EXPECT_STREQ(game->getScoreText(), "22");

    frame({keyLeft, keyDown}, 1.0f);
    EXPECT_STREQ(game->getPositionText(), "2 0");
    EXPECT_STREQ(game->getScoreText(), "67");  // 67.5
    EXPECT_FLOAT_EQ(game->getElapsed(), 1.5f);

    frame({}, 0.1f);
    // Player at (5 - 7.07, -7.07): truncated toward zero, not floored.
    EXPECT_STREQ(game->getPositionText(), "5 0");
    frame({}, 0.1f);
    EXPECT_STREQ(game->getPositionText(), "-2 -7");
    EXPECT_FLOAT_EQ(game->getScore(), 76.5f);
    EXPECT_STREQ(game->getScoreText(), "76");
    EXPECT_STREQ(game->getMultiplierText(), "x3");
}
