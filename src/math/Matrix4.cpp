// Matrix4: identity and product.
#include "math/Matrix4.h"

void setIdentity(Matrix4& m) {
    for (int i = 0; i < 16; ++i) {
        m[i] = 0.0f;
    }
    m[0] = 1.0f;
    m[5] = 1.0f;
    m[10] = 1.0f;
    m[15] = 1.0f;
}

void multiply(const Matrix4& a, const Matrix4& b, Matrix4& out) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[4 * i + k] * b[4 * k + j];
            }
            out[4 * i + j] = sum;
        }
    }
}
