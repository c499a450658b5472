// Tests of vectors, matrices and the camera set-ups.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Camera.h"
#include "math/Matrix4.h"
#include "math/Vector2.h"
#include "math/Vector3.h"

namespace {
Matrix4 translation(float x, float y, float z) {
    Matrix4 m;
    setIdentity(m);
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix4 rotationZ(float a) {
    Matrix4 m;
    setIdentity(m);
    m[0] = std::cos(a);
    m[1] = std::sin(a);
    m[4] = -std::sin(a);
    m[5] = std::cos(a);
    return m;
}

void expectMatrix(const Matrix4& m, std::initializer_list<float> expected, float tolerance = 0.0f) {
    int i = 0;
    for (float e : expected) {
        if (tolerance == 0.0f) {
            EXPECT_EQ(m[i], e) << "entry " << i;
        } else {
            EXPECT_NEAR(m[i], e, tolerance) << "entry " << i;
        }
        ++i;
    }
}
}  // namespace

TEST(Vectors, NormaliseScaleAndCross) {
    Vector2 v(3.0f, 4.0f);
    EXPECT_EQ(lengthSquared(v), 25.0f);
    v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    v *= 10.0f;
    EXPECT_FLOAT_EQ(v.x, 6.0f);
    EXPECT_FLOAT_EQ(v.y, 8.0f);

    Vector3 w(0.0f, 0.0f, 2.0f);
    w.normalize();
    EXPECT_EQ(w.z, 1.0f);
    const Vector3 c = cross(Vector3(1, 0, 0), Vector3(0, 1, 0));
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_EQ(c.z, 1.0f);
    const Vector3 d = cross(Vector3(0, 1, 0), Vector3(1, 0, 0));
    EXPECT_EQ(d.z, -1.0f);
}

TEST(Vectors, ZeroLengthIsNotGuarded) {
    Vector2 v;
    v.normalize();
    EXPECT_FALSE(std::isfinite(v.x));
    Vector3 w;
    w.normalize();
    EXPECT_FALSE(std::isfinite(w.z));
}

TEST(Matrix, IdentityAndProductOrder) {
    Matrix4 identity;
    setIdentity(identity);
    expectMatrix(identity, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    Matrix4 out;
    multiply(translation(1, 2, 3), identity, out);
    expectMatrix(out, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});

    multiply(identity, rotationZ(0.5f), out);
    const Matrix4 r = rotationZ(0.5f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out[i], r[i]);
    }

    // multiply(a, b) applies a first, then b: translating then rotating by 90 degrees moves
    // the translation itself.
    multiply(translation(1, 0, 0), rotationZ(1.5707964f), out);
    EXPECT_NEAR(out[12], 0.0f, 1e-6f);
    EXPECT_NEAR(out[13], 1.0f, 1e-6f);
}

TEST(Camera, PerspectiveWritesSixEntries) {
    Camera camera;
    camera.setProjectionIdentity();
    camera.perspective(90.0f, 2.0f, 1.0f, 3.0f);
    // cot(45 degrees) = 1
    expectMatrix(camera.projection(), {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, 0, 0, -3, 0},
                 1e-6f);
}

TEST(Camera, PerspectiveDegenerateLeavesProjection) {
    Camera camera;
    camera.setProjectionIdentity();
    camera.projection()[1] = 7.0f;
    const Matrix4 before = camera.projection();
    camera.perspective(90.0f, 16.0f / 9.0f, 5.0f, 5.0f);  // near == far
    camera.perspective(0.0f, 1.0f, 1.0f, 10.0f);          // sine 0
    camera.perspective(60.0f, 0.0f, 1.0f, 10.0f);         // aspect 0
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(camera.projection()[i], before[i]);
    }
}

TEST(Camera, PerspectiveKeepsUnwrittenEntries) {
    // The hud camera's set-up writes ortho and then perspective over the same matrix.
    Camera camera;
    camera.setProjectionIdentity();
    camera.ortho(0, 20, 0, 11.25f, -10, 1000);
    camera.perspective(90, 1.7777778f, -5, 5);
    EXPECT_FLOAT_EQ(camera.projection()[12], 0.0f);
    EXPECT_FLOAT_EQ(camera.projection()[13], 0.0f);
    EXPECT_FLOAT_EQ(camera.projection()[14], 5.0f);  // (-5 * -2) * 5 / 10
    EXPECT_FLOAT_EQ(camera.projection()[10], 0.0f);
    EXPECT_EQ(camera.projection()[11], -1.0f);
}

TEST(Camera, OrthoHasNoOffsets) {
    Camera camera;
    camera.setProjectionIdentity();
    const float h = 14.625f;
    camera.ortho(-26, 26, -h, h, 1, 1000);
    const Matrix4& m = camera.projection();
    EXPECT_FLOAT_EQ(m[0], 1.0f / 26.0f);
    EXPECT_FLOAT_EQ(m[5], 1.0f / h);
    EXPECT_FLOAT_EQ(m[10], -1.0f / 999.0f);
    EXPECT_FLOAT_EQ(m[14], -1.0f / 999.0f);
    EXPECT_EQ(m[15], 1.0f);

    camera.ortho(0, 20, 0, 10, 1, 2);  // not centred: still no offset
    EXPECT_EQ(camera.projection()[12], 0.0f);
    EXPECT_EQ(camera.projection()[13], 0.0f);
}

TEST(Camera, LookAtBuildsRotationThenTranslation) {
    Camera camera;
    camera.lookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    expectMatrix(camera.view(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1});

    // The game's eye: behind the centre on -y, looking at the origin with z up.
    camera.lookAt(0, -45, 0, 0, 0, 0, 0, 0, 10);
    const Matrix4& v = camera.view();
    // World +x stays screen right, world +z becomes screen up, the origin is 45 ahead.
    EXPECT_NEAR(v[0], 1.0f, 1e-6f);
    EXPECT_NEAR(v[9], 1.0f, 1e-6f);
    EXPECT_NEAR(v[14], -45.0f, 1e-5f);
}

TEST(Camera, LookAtDegenerateIsNotFinite) {
    Camera camera;
    camera.lookAt(1, 2, 3, 1, 2, 3, 0, 0, 1);
    EXPECT_FALSE(std::isfinite(camera.view()[0]));
}
