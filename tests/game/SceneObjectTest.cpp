// Tests of SceneObject: initial values, radii and the model-view matrix it draws with.
#include <gtest/gtest.h>

#include "game/SceneObject.h"
#include "math/Camera.h"
#include "support/MatrixPoint.h"

TEST(SceneObject, FreshObjectAndRadii) {
    SceneObject object;
    EXPECT_EQ(object.getAngleZ(), 0.0f);
    EXPECT_FLOAT_EQ(object.getOuterRadius(), 1.4142135f);
    EXPECT_EQ(object.getInnerRadius(), 1.0f);
    EXPECT_EQ(object.getPivot().x, 0.0f);
    EXPECT_EQ(object.getCollider(), nullptr);

    object.setScaling(2.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(object.getOuterRadius(), 2.2360680f);
    EXPECT_EQ(object.getInnerRadius(), 0.5f);
    object.setScaling(1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(object.getOuterRadius(), 1.4142135f);
    EXPECT_EQ(object.getInnerRadius(), 0.5f);  // not the 1.0 of a fresh object
    object.setScaling(0.5f, 13.0f, 1.0f);
    EXPECT_EQ(object.getInnerRadius(), 0.25f);

    // init resets angle, scaling and pivot but leaves the radii alone.
    Camera camera;
    object.setAngleZ(30.0f);
    object.setPivot(1.0f, 2.0f);
    object.init(1.0f, 2.0f, 3.0f, nullptr, nullptr, &camera);
    EXPECT_EQ(object.getAngleZ(), 0.0f);
    EXPECT_EQ(object.getScaling().x, 1.0f);
    EXPECT_EQ(object.getScaling().y, 1.0f);
    EXPECT_EQ(object.getPivot().y, 0.0f);
    EXPECT_EQ(object.getInnerRadius(), 0.25f);
    EXPECT_EQ(object.position.z, 3.0f);

    object.position = Vector3(4.0f, 5.0f, 6.0f);
    object.savePosition();
    object.position.x = 9.0f;
    EXPECT_EQ(object.getPreviousPosition().x, 4.0f);
    EXPECT_EQ(object.getPreviousPosition().y, 5.0f);
}

TEST(SceneObject, ModelViewAppliesPivotScaleRotationPositionThenView) {
    Camera camera;
    camera.setViewIdentity();
    camera.view()[12] = 100.0f;  // the view acts last
    SceneObject object;
    object.init(10.0f, 20.0f, 1.0f, nullptr, nullptr, &camera);
    object.setScaling(2.0f, 3.0f, 1.0f);
    object.setPivot(0.5f, 0.5f);
    object.setAngleZ(90.0f);
    object.updateModelView();

    // The pivot sits at the position; the mesh's (1, 0.5) corner is 1 unit of scaled x out,
    // turned by 90 degrees onto +y.
    const Vector3 centre = transformPoint(object.getModelView(), 0.5f, 0.5f, 0.0f);
    EXPECT_NEAR(centre.x, 110.0f, 1e-4f);
    EXPECT_NEAR(centre.y, 20.0f, 1e-4f);
    EXPECT_NEAR(centre.z, 1.0f, 1e-6f);
    const Vector3 side = transformPoint(object.getModelView(), 1.0f, 0.5f, 0.0f);
    EXPECT_NEAR(side.x, 110.0f, 1e-4f);
    EXPECT_NEAR(side.y, 21.0f, 1e-4f);
    const Vector3 top = transformPoint(object.getModelView(), 0.5f, 1.0f, 0.0f);
    EXPECT_NEAR(top.x, 108.5f, 1e-4f);
    EXPECT_NEAR(top.y, 20.0f, 1e-4f);
}

TEST(SceneObject, DrawWithoutReferencesDoesNothing) {
    SceneObject object;
    object.draw();
    object.drawUntextured();
    object.updateModelView();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(object.getModelView()[i], 0.0f);
    }
}
