// SceneObject: placement, scaling radii and the textured and untextured draws.
#include "game/SceneObject.h"

#include <cmath>

#include "assets/Mesh.h"
#include "math/Camera.h"
#include "render/Texture.h"

namespace {
// Degrees to radians for object angles; single precision on purpose (the camera uses more digits).
constexpr float degreesToRadians = 0.017453292f;
}  // namespace

void SceneObject::init(float x, float y, float z, Mesh* newMesh, Texture* newTexture,
                       Camera* newCamera) {
    position = Vector3(x, y, z);
    mesh = newMesh;
    texture = newTexture;
    camera = newCamera;
    angleZ = 0.0f;
    scaling = Vector3(1.0f, 1.0f, 1.0f);
    pivot = Vector2(0.0f, 0.0f);
}

void SceneObject::setScaling(float x, float y, float z) {
    scaling = Vector3(x, y, z);
    outerRadius = std::sqrt(x * x + y * y);
    innerRadius = x > y ? y / 2.0f : x / 2.0f;
}

void SceneObject::updateModelView() {
    if (camera == nullptr) {
        return;
    }
    setModelView(camera->view());
    translate(position.x, position.y, position.z);
    rotateZ(angleZ * degreesToRadians);
    scale(scaling.x, scaling.y, scaling.z);
    translate(-pivot.x, -pivot.y, 0.0f);
}

void SceneObject::draw() {
    if (camera == nullptr || mesh == nullptr) {
        return;
    }
    updateModelView();
    if (texture != nullptr) {
        texture->bind();
    }
    mesh->draw(modelView);
}

void SceneObject::drawUntextured() {
    if (camera == nullptr || mesh == nullptr) {
        return;
    }
    updateModelView();
    mesh->draw(modelView);
}
