// Transform: right-multiplied translate, rotate and scale steps.
#include "math/Transform.h"

#include <cmath>

namespace {
// The identity with entries a, b and c set to x, y and z: a translation's column (12, 13, 14)
// or a scale's diagonal (0, 5, 10).
Matrix4 identityWith(int a, int b, int c, float x, float y, float z) {
    Matrix4 m;
    setIdentity(m);
    m[a] = x;
    m[b] = y;
    m[c] = z;
    return m;
}
}  // namespace

void Transform::setModelView(const Matrix4& m) { modelView = m; }

void Transform::postMultiply(const Matrix4& step) {
    // new = old x step; computed on a copy so the old matrix is read whole.
    const Matrix4 old = modelView;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += old[4 * k + r] * step[4 * c + k];
            }
            modelView[4 * c + r] = sum;
        }
    }
}

void Transform::translate(float x, float y, float z) {
    postMultiply(identityWith(12, 13, 14, x, y, z));
}

void Transform::rotateZ(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Matrix4 r;
    setIdentity(r);
    r[0] = c;
    r[1] = s;
    r[4] = -s;
    r[5] = c;
    postMultiply(r);
}

void Transform::rotate(float angle, float x, float y, float z) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    Matrix4 r;
    setIdentity(r);
    r[0] = x * x * t + c;
    r[1] = x * y * t + z * s;
    r[2] = x * z * t - y * s;
    r[4] = x * y * t - z * s;
    r[5] = y * y * t + c;
    r[6] = y * z * t + x * s;
    r[8] = x * z * t + y * s;
    r[9] = y * z * t - x * s;
    r[10] = z * z * t + c;
    postMultiply(r);
}

void Transform::scale(float sx, float sy, float sz) {
    postMultiply(identityWith(0, 5, 10, sx, sy, sz));
}
