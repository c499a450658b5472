// MatrixPoint: where a model-view matrix takes a point, worked out apart from the code under test.
#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

// The column-major matrix applied to (x, y, z, 1); w is dropped.
inline Vector3 transformPoint(const Matrix4& m, float x, float y, float z) {
    return Vector3(m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                   m[2] * x + m[6] * y + m[10] * z + m[14]);
}
