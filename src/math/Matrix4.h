// Matrix4: a 4 x 4 single-precision matrix in OpenGL's layout, and its two free functions.
#pragma once

// Column-major: row r, column c at m[4c + r]; the translation sits at m[12], m[13], m[14].
// Uploaded to shaders untransposed. Deliberately left uninitialised, like a plain array:
// every user writes it (setIdentity, a camera set-up or a copy) before reading it.
struct Matrix4 {
    float m[16];

    float& operator[](int i) { return m[i]; }
    const float& operator[](int i) const { return m[i]; }
    const float* data() const { return m; }
};

void setIdentity(Matrix4& m);

// out[4i + j] = sum_k a[4i + k] * b[4k + j]: in column-major terms out = B x A, so a acts
// first and b second. NOTE: out must be a third matrix; it is written while a and b are read.
void multiply(const Matrix4& a, const Matrix4& b, Matrix4& out);
