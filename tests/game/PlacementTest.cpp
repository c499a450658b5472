// Tests of drawInstance's three cases and its bent matrix, and of the resize rules.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game/Game.h"
#include "support/GlContext.h"
#include "support/MatrixPoint.h"

namespace {

int zeroRand() { return 0; }

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        game = std::make_unique<Game>();
        game->resetLevel(&zeroRand);
        game->resetWorldView();  // model-view = model, easy to read
    }
    std::unique_ptr<Game> game;
};

}  // namespace

TEST_F(Placement, HiddenAtRadiusFlatAtTerrainRayBentBetween) {
    SceneObject wall = game->getPrototype(PrototypeKind::wall);  // placeInstance takes any object
    const float radius = 30.0f;                                  // terrainRay 15 + 15
    EXPECT_EQ(game->placeInstance(wall, Vector3(30.0f, 0.0f, 0.0f), radius),
              InstancePlacement::hidden);  // exactly R squared
    EXPECT_EQ(game->placeInstance(wall, Vector3(18.0f, 24.0f, 0.0f), radius),
              InstancePlacement::hidden);
    EXPECT_EQ(game->placeInstance(wall, Vector3(15.0f, 0.0f, 0.0f), radius),
              InstancePlacement::flat);  // exactly terrainRay squared
    EXPECT_EQ(game->placeInstance(wall, Vector3(9.0f, -12.0f, 2.0f), radius),
              InstancePlacement::flat);
    EXPECT_EQ(game->placeInstance(wall, Vector3(0.0f, 15.5f, 0.0f), radius),
              InstancePlacement::bent);
    EXPECT_EQ(game->placeInstance(wall, Vector3(-29.9f, 0.0f, 0.0f), radius),
              InstancePlacement::bent);
    EXPECT_EQ(game->placeInstance(wall, Vector3(-1000.0f, -1000.0f, -1000.0f), radius),
              InstancePlacement::hidden);

    // Flat: the prototype's own placement, pivot (1, 1) at the instance position.
    game->placeInstance(wall, Vector3(9.0f, -12.0f, 2.0f), radius);
    const Vector3 corner = transformPoint(wall.getModelView(), 1.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(corner.x, 9.0f);
    EXPECT_FLOAT_EQ(corner.y, -12.0f);
    EXPECT_FLOAT_EQ(corner.z, 2.0f);

    // Drawing always leaves the prototype at the origin, whatever the case.
    for (const Vector3& p : {Vector3(30, 0, 0), Vector3(15, 0, 0), Vector3(20, 0, 0)}) {
        game->drawInstance(wall, p, radius);
        EXPECT_EQ(wall.position.x, 0.0f);
        EXPECT_EQ(wall.position.y, 0.0f);
        EXPECT_EQ(wall.position.z, 0.0f);
    }
}

TEST_F(Placement, BentInstanceTipsOverTheRim) {
    SceneObject wall = game->getPrototype(PrototypeKind::wall);
    wall.setAngleZ(45.0f);  // not used on the bent path
    // 4 units beyond the rim along +x: carried to (15, 0), turned by 1 radian about +y around
    // a point 4 units below the ground there.
    ASSERT_EQ(game->placeInstance(wall, Vector3(19.0f, 0.0f, 0.0f), 30.0f),
              InstancePlacement::bent);
    EXPECT_EQ(wall.position.x, 15.0f);
    const Matrix4& m = wall.getModelView();
    const Vector3 foot = transformPoint(m, 1.0f, 1.0f, 0.0f);  // the pivot
    EXPECT_NEAR(foot.x, 15.0f + 4.0f * std::sin(1.0f), 1e-4f);
    EXPECT_NEAR(foot.y, 0.0f, 1e-5f);
    EXPECT_NEAR(foot.z, 4.0f * std::cos(1.0f) - 4.0f, 1e-4f);
    const Vector3 up = transformPoint(m, 1.0f, 1.0f, 2.0f);  // 2 units up the wall leans outwards
    EXPECT_NEAR(up.x - foot.x, 2.0f * std::sin(1.0f), 1e-4f);
    EXPECT_NEAR(up.z - foot.z, 2.0f * std::cos(1.0f), 1e-4f);
    // Raised by its height in the turned frame.
    game->placeInstance(wall, Vector3(19.0f, 0.0f, 6.0f), 30.0f);
    EXPECT_NEAR(transformPoint(wall.getModelView(), 1, 1, 0).z, 10.0f * std::cos(1.0f) - 4.0f,
                1e-4f);

    // Along -y with a panned ground: the axis is the tangent, the tip points away from centre.
    game->setGroundOffset(Vector2(0.0f, 2.0f));
    game->placeInstance(wall, Vector3(0.0f, -19.0f, 0.0f), 30.0f);  // 21 out: 1.5 radians
    const Vector3 tipped = transformPoint(wall.getModelView(), 1.0f, 1.0f, 1.0f);
    EXPECT_NEAR(tipped.x, 0.0f, 1e-4f);
    EXPECT_NEAR(tipped.y, -15.0f - 5.0f * std::sin(1.5f), 1e-4f);
    EXPECT_NEAR(tipped.z, 5.0f * std::cos(1.5f) - 4.0f, 1e-4f);

    // Beyond 12.566 units out the turn stops at 3.14159: upside down under the rim.
    game->setGroundOffset(Vector2(0.0f, 0.0f));
    game->placeInstance(wall, Vector3(28.0f, 0.0f, 0.0f), 30.0f);
    const Vector3 under = transformPoint(wall.getModelView(), 1.0f, 1.0f, 1.0f);
    EXPECT_NEAR(under.x, 15.0f, 1e-3f);
    EXPECT_NEAR(under.z, -9.0f, 1e-3f);
}

TEST_F(Placement, BentMatrixStaysFiniteAtZeroRayAndLowInstances) {
    SceneObject tree = game->getPrototype(PrototypeKind::tree);
    game->setTerrainRay(0.0f);
    // Everything but the exact centre is bent, pivoting 4 units below the centre.
    EXPECT_EQ(game->placeInstance(tree, Vector3(0.0f, 0.0f, 0.0f), 15.0f), InstancePlacement::flat);
    ASSERT_EQ(game->placeInstance(tree, Vector3(2.0f, 0.0f, 0.0f), 15.0f), InstancePlacement::bent);
    const Vector3 foot = transformPoint(tree.getModelView(), 0.5f, 0.5f, 0.0f);
    EXPECT_NEAR(foot.x, 4.0f * std::sin(0.5f), 1e-4f);
    EXPECT_NEAR(foot.z, 4.0f * std::cos(0.5f) - 4.0f, 1e-4f);
    // An instance at z = -10 and one below it tip the same way as one on the ground.
    game->setTerrainRay(15.0f);
    for (float z : {-10.0f, -14.0f}) {
        game->placeInstance(tree, Vector3(19.0f, 0.0f, z), 30.0f);
        for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(tree.getModelView()[i])) << z;
        const Vector3 p = transformPoint(tree.getModelView(), 0.5f, 0.5f, 0.0f);
        EXPECT_NEAR(p.x, 15.0f + (z + 4.0f) * std::sin(1.0f), 1e-4f) << z;
        EXPECT_NEAR(p.z, (z + 4.0f) * std::cos(1.0f) - 4.0f, 1e-4f) << z;
    }
}

TEST(GameResize, ViewportProjectionAndZeroSize) {
    GlContext::get().useFramebuffer(64, 64);
    auto game = std::make_unique<Game>();
    game->onWindowResize(1280, 720);
    EXPECT_EQ(game->getCameraRig().getViewportWidth(), 1280.0f);
    EXPECT_EQ(game->getCameraRig().getViewportHeight(), 720.0f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getOrthoHalfHeight(), 14.625f);  // 29.25 units tall
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1280);
    EXPECT_EQ(viewport[3], 720);

    // The hud camera: the perspective writes over the orthographic entries it shares.
    const Matrix4& hud = game->getHudCamera().projection();
    EXPECT_FLOAT_EQ(hud[0], 1.0f / 1.7777778f);
    EXPECT_FLOAT_EQ(hud[5], 1.0f);
    EXPECT_FLOAT_EQ(hud[10], 0.0f);  // -(5 + -5) / 10
    EXPECT_EQ(hud[11], -1.0f);
    EXPECT_FLOAT_EQ(hud[12], 0.0f);
    EXPECT_FLOAT_EQ(hud[14], 5.0f);  // (-5 x -2) x 5 / 10
    EXPECT_EQ(hud[15], 0.0f);
    const Matrix4& view = game->getHudCamera().view();
    EXPECT_NEAR(view[12] * view[12] + view[13] * view[13] + view[14] * view[14],
                15.0f * 15.0f + 15.0f * 15.0f + 10.0f * 10.0f, 1e-2f);

    game->resize(800, 1000);
    EXPECT_FLOAT_EQ(game->getCameraRig().getOrthoHalfHeight(), 32.5f);
    // A minimised window keeps everything as it was, then the next real size applies.
    for (auto size : {std::pair<int, int>(0, 0), {0, 600}, {600, 0}, {-5, 10}}) {
        game->resize(size.first, size.second);
        EXPECT_EQ(game->getCameraRig().getViewportWidth(), 800.0f);
        EXPECT_EQ(game->getCameraRig().getViewportHeight(), 1000.0f);
        EXPECT_FLOAT_EQ(game->getCameraRig().getOrthoHalfHeight(), 32.5f);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 1000);
    }
    game->onWindowResize(640, 360);
    EXPECT_EQ(game->getCameraRig().getViewportWidth(), 640.0f);
    EXPECT_FLOAT_EQ(game->getCameraRig().getOrthoHalfHeight(), 14.625f);
}
