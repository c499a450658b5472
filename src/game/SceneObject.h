// SceneObject: a placed, drawable object of the game world (transform, pivot, scaling, radii).
#pragma once

#include "math/Transform.h"
#include "math/Vector2.h"
#include "math/Vector3.h"

class Collider;

class SceneObject : public Transform {
public:
    SceneObject() = default;

    // Places the object and sets its references; angle 0, scaling (1, 1, 1), pivot (0, 0).
    // NOTE: the radii keep whatever the last setScaling gave them.
    void init(float x, float y, float z, Mesh* mesh, Texture* texture, Camera* camera);
    void setScaling(float x, float y, float z);
    void setPivot(float x, float y) { pivot = Vector2(x, y); }
    void setCollider(Collider* c) { collider = c; }
    void savePosition() { previousPosition = Vector2(position.x, position.y); }

    // Rebuilds modelView as view x T(position) x Rz(angleZ) x S(scaling) x T(-pivot); no GL.
    // Without a camera (never initialised) the matrix is left as it was.
    void updateModelView();
    // Binds the texture, then draws the mesh. Objects without references draw nothing.
    void draw();
    // NOTE: leaves whatever texture is bound in place, so the previous draw's texture shows.
    void drawUntextured();

    const Vector2& getPivot() const { return pivot; }
    const Vector3& getScaling() const { return scaling; }
    const Vector2& getPreviousPosition() const { return previousPosition; }
    float getOuterRadius() const { return outerRadius; }
    float getInnerRadius() const { return innerRadius; }
    Collider* getCollider() const { return collider; }

private:
    Vector2 pivot;  // point of the mesh's own space that sits at position
    Vector3 scaling{1.0f, 1.0f, 1.0f};
    Vector2 previousPosition;        // x, y at the last savePosition
    float outerRadius = 1.4142135f;  // length of the scaling's (x, y) diagonal
    float innerRadius = 1.0f;        // half the smaller of scaling x and y
    Collider* collider = nullptr;    // not owned
};
