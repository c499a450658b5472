// Camera: a view and a projection matrix with the usual set-ups.
#pragma once

#include "math/Matrix4.h"

class Camera {
public:
    void setViewIdentity();
    void setProjectionIdentity();

    // fovY in degrees. Writes entries 0, 5, 10, 11, 14 and 15 only; returns without a write
    // when far == near, the half angle's sine is 0 or aspect is 0.
    void perspective(float fovY, float aspect, float near, float far);
    // Writes entries 0, 5, 10, 12, 13 and 14 only. NOTE: the x and y offsets are always 0,
    // so a box that is not centred on the axis is not centred on screen either.
    void ortho(float left, float right, float bottom, float top, float near, float far);
    // Replaces the whole view matrix. NOTE: eye == center or up parallel to the viewing
    // direction gives non-finite entries; nothing is checked.
    void lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY, float centerZ,
                float upX, float upY, float upZ);

    Matrix4& view() { return viewMatrix; }
    Matrix4& projection() { return projectionMatrix; }
    const Matrix4& view() const { return viewMatrix; }
    const Matrix4& projection() const { return projectionMatrix; }

private:
    Matrix4 viewMatrix{};        // world to eye space
    Matrix4 projectionMatrix{};  // eye to clip space
};
