// Tests of the object transform's right-multiplied steps.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

#include "math/Transform.h"
#include "support/MatrixPoint.h"

namespace {
Matrix4 identity() {
    Matrix4 m;
    setIdentity(m);
    return m;
}

// A transform whose steps start from the identity view.
Transform fromIdentity() {
    Transform t;
    t.setModelView(identity());
    return t;
}

// Checks the listed elements of the model-view (index, value).
void expectElements(const Transform& t, std::initializer_list<std::pair<int, float>> elements) {
    for (const auto& [index, value] : elements) {
        EXPECT_EQ(t.modelView[index], value) << "element " << index;
    }
}
}  // namespace

TEST(Transform, StartsUnrotated) {
    Transform t;
    EXPECT_EQ(t.getAngleZ(), 0.0f);
    t.setAngleZ(45.0f);
    EXPECT_EQ(t.getAngleZ(), 45.0f);
}

TEST(Transform, TranslationsAddAndScalingKeepsThem) {
    Transform moved = fromIdentity();
    moved.translate(1, 2, 3);
    moved.translate(4, 5, 6);
    expectElements(moved, {{12, 5.0f}, {13, 7.0f}, {14, 9.0f}});

    Transform scaled = fromIdentity();
    scaled.translate(1, 0, 0);
    scaled.scale(2, 2, 2);
    expectElements(scaled, {{12, 1.0f}, {0, 2.0f}, {5, 2.0f}, {10, 2.0f}});
}

TEST(Transform, LastStepActsFirst) {
    Transform t = fromIdentity();
    t.translate(10, 0, 0);
    t.rotateZ(1.5707964f);
    const Vector3 p = transformPoint(t.modelView, 1, 0, 0);
    EXPECT_NEAR(p.x, 10.0f, 1e-5f);
    EXPECT_NEAR(p.y, 1.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
}

TEST(Transform, AxisRotationMatchesRotateZ) {
    Transform a = fromIdentity();
    Transform b = fromIdentity();
    a.rotate(0.7f, 0, 0, 1);
    b.rotateZ(0.7f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a.modelView[i], b.modelView[i], 1e-6f) << i;
    }
    // The axis is taken as given: length 2 is no pure rotation.
    Transform c = fromIdentity();
    c.rotate(0.7f, 0, 0, 2);
    EXPECT_GT(std::fabs(c.modelView[10] - 1.0f), 0.1f);
}

TEST(Transform, RotationAboutXTurnsYIntoZ) {
    Transform t = fromIdentity();
    t.rotate(1.5707964f, 1, 0, 0);
    const Vector3 p = transformPoint(t.modelView, 0, 1, 0);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, 1.0f, 1e-6f);
}

TEST(Transform, StartsFromTheGivenMatrix) {
    Transform t;
    Matrix4 view = identity();
    view[14] = -5.0f;
    t.setModelView(view);
    t.translate(0, 0, 2);
    expectElements(t, {{14, -3.0f}});
}
