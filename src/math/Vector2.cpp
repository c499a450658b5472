// Vector2: scaling, normalising and squared length.
#include "math/Vector2.h"

#include <cmath>

Vector2& Vector2::operator*=(float s) {
    x = x * s;
    y = y * s;
    return *this;
}

Vector2& Vector2::normalize() {
    const float length = std::sqrt(x * x + y * y);
    x = x / length;
    y = y / length;
    return *this;
}

float lengthSquared(const Vector2& v) { return v.x * v.x + v.y * v.y; }
