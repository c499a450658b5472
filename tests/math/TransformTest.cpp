// Tests of the object transform's right-multiplied steps.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Transform.h"

namespace {
Matrix4 identity() {
    Matrix4 m;
    setIdentity(m);
    return m;
}

// The model-view applied to a point (w = 1).
Vector3 apply(const Matrix4& m, float x, float y, float z) {
    return Vector3(m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                   m[2] * x + m[6] * y + m[10] * z + m[14]);
}
}  // namespace

TEST(Transform, StartsUnrotated) {
    Transform t;
    EXPECT_EQ(t.getAngleZ(), 0.0f);
    t.setAngleZ(45.0f);
    EXPECT_EQ(t.getAngleZ(), 45.0f);
}

TEST(Transform, TranslationsAdd) {
    Transform t;
    t.setModelView(identity());
    t.translate(1, 2, 3);
    t.translate(4, 5, 6);
    EXPECT_EQ(t.modelView[12], 5.0f);
    EXPECT_EQ(t.modelView[13], 7.0f);
    EXPECT_EQ(t.modelView[14], 9.0f);
}

TEST(Transform, LastStepActsFirst) {
    Transform t;
    t.setModelView(identity());
    t.translate(10, 0, 0);
    t.rotateZ(1.5707964f);
    const Vector3 p = apply(t.modelView, 1, 0, 0);
    EXPECT_NEAR(p.x, 10.0f, 1e-5f);
    EXPECT_NEAR(p.y, 1.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
}

TEST(Transform, ScaleKeepsTranslation) {
    Transform t;
    t.setModelView(identity());
    t.translate(1, 0, 0);
    t.scale(2, 2, 2);
    EXPECT_EQ(t.modelView[12], 1.0f);
    EXPECT_EQ(t.modelView[0], 2.0f);
    EXPECT_EQ(t.modelView[5], 2.0f);
    EXPECT_EQ(t.modelView[10], 2.0f);
}

TEST(Transform, AxisRotationMatchesRotateZ) {
    Transform a;
    Transform b;
    a.setModelView(identity());
    b.setModelView(identity());
    a.rotate(0.7f, 0, 0, 1);
    b.rotateZ(0.7f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a.modelView[i], b.modelView[i], 1e-6f) << i;
    }
    // The axis is taken as given: length 2 is no pure rotation.
    Transform c;
    c.setModelView(identity());
    c.rotate(0.7f, 0, 0, 2);
    EXPECT_GT(std::fabs(c.modelView[10] - 1.0f), 0.1f);
}

TEST(Transform, RotationAboutXTurnsYIntoZ) {
    Transform t;
    t.setModelView(identity());
    t.rotate(1.5707964f, 1, 0, 0);
    const Vector3 p = apply(t.modelView, 0, 1, 0);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, 1.0f, 1e-6f);
}

TEST(Transform, StartsFromTheGivenMatrix) {
    Transform t;
    Matrix4 view = identity();
    view[14] = -5.0f;
    t.setModelView(view);
    t.translate(0, 0, 2);
    EXPECT_EQ(t.modelView[14], -3.0f);
}
