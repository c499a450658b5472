// CameraRig: the world camera's state as the keys drive it: mode, projection, yaw and pitch,
// terrain radius and pan offset, and the viewport the projection fits.
#pragma once

#include "math/Camera.h"
#include "math/Vector2.h"
#include "math/Vector3.h"

enum CameraMode : int { cameraPan = 0, cameraOrbit = 1, cameraZoom = 2 };

class CameraRig {
public:
    // The start-up view: no yaw or pitch, terrain radius 15, pan mode, perspective. The pan
    // offset and the viewport are left alone.
    void reset();

    void togglePerspective() { usePerspective = !usePerspective; }
    void nextMode();  // pan, orbit, zoom, pan, ...
    // Moves by the steered arrow direction (components -1 ... 1) over dt seconds, as the mode
    // says: the pan offset (clamped to [-25, 25]), yaw and pitch, or the terrain radius (>= 0).
    void steer(const Vector2& direction, float dt);
    // The client size the projection fits; width, height > 0.
    void setViewport(int width, int height);
    // Sets camera's projection by the mode and its view from the eye on its orbit around the
    // view centre; keeps the eye for getEye. The camera's view is replaced whatever it was.
    void aim(Camera& camera);

    const Vector2& getGroundOffset() const { return groundOffset; }
    const Vector3& getEye() const { return eye; }
    const Vector2& getAngles() const { return angles; }
    float getTerrainRay() const { return terrainRay; }
    int getMode() const { return mode; }
    bool isPerspective() const { return usePerspective; }
    float getOrthoHalfHeight() const { return orthoHalfHeight; }
    float getViewportWidth() const { return viewportWidth; }
    float getViewportHeight() const { return viewportHeight; }

    // Set directly, for views the keys take a while to reach (benchmark, tools, tests).
    void setAngles(const Vector2& yawPitch) { angles = yawPitch; }
    void setTerrainRay(float ray) { terrainRay = ray; }
    void setGroundOffset(const Vector2& offset) { groundOffset = offset; }

private:
    Vector2 groundOffset;      // pan offset subtracted from every ground position; within [-25, 25]
    Vector3 eye;               // recomputed by every aim before use
    Vector2 angles;            // radians: x yaw, y pitch
    float terrainRay = 15.0f;  // level units: eye distance factor, bend and cull radius; >= 0
    int mode = cameraPan;
    bool usePerspective = true;
    // Set by setViewport; these defaults only keep an aim before the first resize finite.
    float orthoHalfHeight = 14.625f;  // 26 x height / width
    float viewportWidth = 1280.0f;
    float viewportHeight = 720.0f;
};
