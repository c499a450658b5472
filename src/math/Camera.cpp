// Camera: perspective, orthographic and look-at set-ups.
#include "math/Camera.h"

#include <cmath>

#include "math/Vector3.h"

namespace {
// pi / 180 written to 15 digits; the camera's angles use this more exact factor than objects do.
constexpr double cameraDegreesToRadians = 0.017453292519943;
}  // namespace

void Camera::setViewIdentity() { setIdentity(viewMatrix); }

void Camera::setProjectionIdentity() { setIdentity(projectionMatrix); }

void Camera::perspective(float fovY, float aspect, float near, float far) {
    const float radians = static_cast<float>(fovY / 2 * cameraDegreesToRadians);
    const float deltaZ = far - near;
    const float sine = std::sin(radians);
    if (deltaZ == 0.0f || sine == 0.0f || aspect == 0.0f) {
        return;
    }
    const float cotangent = std::cos(radians) / sine;
    Matrix4& m = projectionMatrix;
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(far + near) / deltaZ;
    m[11] = -1.0f;
    m[14] = (near * -2.0f) * far / deltaZ;
    m[15] = 0.0f;
}

void Camera::ortho(float left, float right, float bottom, float top, float near, float far) {
    Matrix4& m = projectionMatrix;
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = 1.0f / (near - far);
    m[12] = 0.0f;
    m[13] = 0.0f;
    m[14] = near / (near - far);
}

void Camera::lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY, float centerZ,
                    float upX, float upY, float upZ) {
    Vector3 forward(centerX - eyeX, centerY - eyeY, centerZ - eyeZ);
    forward.normalize();
    Vector3 side = cross(forward, Vector3(upX, upY, upZ));
    side.normalize();
    Vector3 up = cross(side, forward);
    up.normalize();

    Matrix4 rotation;
    rotation[0] = side.x;
    rotation[4] = side.y;
    rotation[8] = side.z;
    rotation[1] = up.x;
    rotation[5] = up.y;
    rotation[9] = up.z;
    rotation[2] = -forward.x;
    rotation[6] = -forward.y;
    rotation[10] = -forward.z;
    rotation[3] = 0.0f;
    rotation[7] = 0.0f;
    rotation[11] = 0.0f;
    rotation[12] = 0.0f;
    rotation[13] = 0.0f;
    rotation[14] = 0.0f;
    rotation[15] = 1.0f;

    Matrix4 translation;
    setIdentity(translation);
    translation[12] = -eyeX;
    translation[13] = -eyeY;
    translation[14] = -eyeZ;

    multiply(translation, rotation, viewMatrix);
}
