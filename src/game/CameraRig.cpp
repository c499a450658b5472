// CameraRig: camera modes and the keys' camera moves, the projection and the orbiting eye.
#include "game/CameraRig.h"

#include <cmath>

namespace {

constexpr int cameraModeCount = 3;
constexpr float panSpeed = 10.0f;  // level units per second, as fast as the player walks
constexpr float panLimit = 25.0f;
constexpr float zoomSpeed = 10.0f;  // level units of terrain radius per second

constexpr float fieldOfView = 40.0f;  // degrees, vertical
constexpr float nearPlane = 1.0f;
constexpr float farPlane = 1000.0f;
constexpr float orthoHalfWidth = 26.0f;
constexpr float eyeDistanceFactor = 3.0f;  // times terrainRay
// NOTE: at terrainRay 0 the eye would sit on the view centre and lookAt would divide zero by
// zero, turning the whole frame to NaN; the eye stays at least this far out instead.
constexpr float minimumEyeRay = 0.01f;

}  // namespace

void CameraRig::reset() {
    angles = Vector2(0.0f, 0.0f);
    terrainRay = 15.0f;
    mode = cameraPan;
    usePerspective = true;
}

void CameraRig::nextMode() { mode = (mode + 1) % cameraModeCount; }

void CameraRig::steer(const Vector2& direction, float dt) {
    switch (mode) {
        case cameraPan:
            groundOffset.x += panSpeed * dt * direction.x;
            groundOffset.y += panSpeed * dt * direction.y;
            if (groundOffset.x < -panLimit) groundOffset.x = -panLimit;
            if (groundOffset.x > panLimit) groundOffset.x = panLimit;
            if (groundOffset.y < -panLimit) groundOffset.y = -panLimit;
            if (groundOffset.y > panLimit) groundOffset.y = panLimit;
            break;
        case cameraOrbit:
            angles.x += dt * direction.x;
            angles.y += dt * direction.y;
            break;
        case cameraZoom:
            terrainRay += zoomSpeed * dt * direction.y;
            if (!(terrainRay >= 0.0f)) {
                terrainRay = 0.0f;
            }
            break;
        default:
            break;
    }
}

void CameraRig::setViewport(int width, int height) {
    orthoHalfHeight = static_cast<float>(height) / static_cast<float>(width) * orthoHalfWidth;
    viewportWidth = static_cast<float>(width);
    viewportHeight = static_cast<float>(height);
}

void CameraRig::aim(Camera& camera) {
    camera.setProjectionIdentity();
    if (usePerspective) {
        camera.perspective(fieldOfView, viewportWidth / viewportHeight, nearPlane, farPlane);
    } else {
        camera.ortho(-orthoHalfWidth, orthoHalfWidth, -orthoHalfHeight, orthoHalfHeight, nearPlane,
                     farPlane);
    }
    const float yaw = angles.x;
    const float pitch = angles.y;
    const float distance = eyeDistanceFactor * std::fmax(terrainRay, minimumEyeRay);
    eye = Vector3(std::sin(yaw) * distance, -std::cos(yaw) * distance, -std::sin(pitch) * distance);
    camera.lookAt(eye.x, eye.y, eye.z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10.0f);
}
