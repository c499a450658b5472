// Transform: position, rotation about z and the model-view matrix of a placed object.
#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

class Camera;
class Mesh;
class Texture;

// Every matrix operation post-multiplies (modelView = modelView x step), like the
// fixed-function matrix stack: the step issued last acts on vertices first.
class Transform {
public:
    void setModelView(const Matrix4& m);
    void translate(float x, float y, float z);
    void rotateZ(float angle);  // radians
    void rotate(float angle, float axisX, float axisY,
                float axisZ);  // radians; axis not normalised here
    void scale(float sx, float sy, float sz);

    void setAngleZ(float degrees) { angleZ = degrees; }
    float getAngleZ() const { return angleZ; }
    Mesh* getMesh() const { return mesh; }
    Texture* getTexture() const { return texture; }
    const Matrix4& getModelView() const { return modelView; }

    Vector3 position;            // level units; written directly by owners
    Matrix4 modelView{};         // rebuilt from the camera's view at every draw
    Texture* texture = nullptr;  // not owned
    Mesh* mesh = nullptr;        // not owned
    Camera* camera = nullptr;    // not owned
    float angleZ = 0.0f;         // degrees

private:
    void postMultiply(const Matrix4& step);
};
