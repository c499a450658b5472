// Vector2: two single-precision components with the few operations the game uses.
#pragma once

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float xValue, float yValue) : x(xValue), y(yValue) {}

    Vector2& operator*=(float s);
    // NOTE: a zero vector is not guarded; it turns into non-finite components.
    Vector2& normalize();
};

float lengthSquared(const Vector2& v);
