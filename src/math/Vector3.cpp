// Vector3: normalising and the cross product.
#include "math/Vector3.h"

#include <cmath>

Vector3& Vector3::normalize() {
    const float length = std::sqrt(x * x + y * y + z * z);
    x = x / length;
    y = y / length;
    z = z / length;
    return *this;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - b.y * a.z, b.x * a.z - a.x * b.z, a.x * b.y - b.x * a.y);
}
