// Vector3: three single-precision components, normalise and cross product.
#pragma once

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    // NOTE: a zero vector is not guarded; it turns into non-finite components.
    Vector3& normalize();
};

// a x b
Vector3 cross(const Vector3& a, const Vector3& b);
