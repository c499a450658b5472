// Game: the one scene the frame loop drives: assets, level layout, update and the curved world.
#pragma once

#include <array>

#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "game/GameAssets.h"
#include "game/SceneObject.h"
#include "math/Camera.h"
#include "math/Vector2.h"
#include "math/Vector3.h"
#include "render/ShaderProgram.h"
#include "render/TextLabel.h"
#include "render/Texture.h"

enum CameraMode : int { cameraPan = 0, cameraOrbit = 1, cameraZoom = 2 };

// How drawInstance treats one instance: beyond the drawing radius, on the flat part of the
// world, or tipped over the horizon.
enum class InstancePlacement { hidden, flat, bent };

// NOTE: the assets are a private base, so the scene names them as its own members
// (quadMesh, basicShader) while AssetManifest addresses them as GameAssets members.
class Game : private GameAssets {
public:
    // Supplies the level's random values, one per call, like rand().
    using RandomSource = int (*)();

    static constexpr int treeCount = 30;
    static constexpr int wallCount = 113;
    static constexpr int tallWallCount = 119;
    static constexpr int woodCount = 125;
    static constexpr int floorWoodCount = 145;

    Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Loads every asset (GL context required), builds the level; always true.
    bool init();
    // Lays the level out with random trees from srand(time) and rand().
    void resetLevel();
    // The same with the random values taken from next; no GL involved.
    void resetLevel(RandomSource next);

    void update(float dt);  // dt: seconds
    void render();
    // A size of 0 (or less) in either direction keeps the previous viewport and projection.
    void resize(int width, int height);
    void onWindowResize(int width, int height);
    // onWindowResize in the shape of the window's size listener; target is the Game.
    static void forwardResize(void* target, int width, int height) {
        static_cast<Game*>(target)->onWindowResize(width, height);
    }

    // Draws one level instance of a prototype: flat, bent over the horizon or not at all.
    // The prototype ends back at (0, 0, 0).
    void drawInstance(SceneObject& prototype, const Vector3& instance, float radius);
    // drawInstance's decision and model-view matrix without drawing: leaves the prototype at
    // its drawn position with its modelView set (unchanged when hidden).
    InstancePlacement placeInstance(SceneObject& prototype, const Vector3& instance, float radius);

    // Read access for the frame loop's tools and the tests.
    const std::array<Vector3, treeCount>& getTreePositions() const { return treePositions; }
    const std::array<Vector3, wallCount>& getWallPositions() const { return wallPositions; }
    const std::array<Vector3, tallWallCount>& getTallWallPositions() const {
        return tallWallPositions;
    }
    const std::array<Vector3, woodCount>& getWoodPositions() const { return woodPositions; }
    const std::array<Vector3, floorWoodCount>& getFloorWoodPositions() const {
        return floorWoodPositions;
    }
    const SceneObject& getPlayer() const { return player; }
    const SceneObject& getFollower() const { return follower; }
    const SceneObject& getBackground() const { return background; }
    const SceneObject& getGrassTile() const { return grassTile; }
    SceneObject& getTreeObject() { return treeObject; }
    SceneObject& getWallObject() { return wallObject; }
    SceneObject& getTallWallObject() { return tallWallObject; }
    SceneObject& getWoodObject() { return woodObject; }
    SceneObject& getFloorWoodObject() { return floorWoodObject; }
    const TextLabel& getLabel(int index) const;  // 0 position ... 6 easy mode, declaration order
    Camera& getWorldCamera() { return worldCamera; }
    Camera& getHudCamera() { return hudCamera; }
    const Collider& getCollider() const { return quadCollider; }
    const ShaderProgram& getBasicShader() const { return basicShader; }
    const ShaderProgram& getTerrainShader() const { return terrainShader; }
    const ShaderProgram& getGameOverShader() const { return gameOverShader; }

    // The texts last given to the three live labels.
    const char* getPositionText() const { return positionText; }
    const char* getMultiplierText() const { return multiplierText; }
    const char* getScoreText() const { return scoreText; }

    float getElapsed() const { return elapsed; }
    float getScore() const { return score; }
    float getMultiplier() const { return multiplier; }
    const Vector2& getGroundOffset() const { return groundOffset; }
    const Vector3& getCameraEye() const { return cameraEye; }
    const Vector2& getCameraAngles() const { return cameraAngles; }
    float getTerrainRay() const { return terrainRay; }
    int getCameraMode() const { return cameraMode; }
    bool isPerspective() const { return usePerspective; }
    float getOrthoHalfHeight() const { return orthoHalfHeight; }
    float getViewportWidth() const { return viewportWidth; }
    float getViewportHeight() const { return viewportHeight; }

    // Camera state set directly, for views the keys take a while to reach (benchmark, tests).
    void setCameraAngles(const Vector2& angles) { cameraAngles = angles; }
    void setTerrainRay(float ray) { terrainRay = ray; }
    void setGroundOffset(const Vector2& offset) { groundOffset = offset; }

private:
    void layOutTrees(RandomSource next);
    void layOutWalls();
    void layOutWood();
    void setUpPrototypes();
    void setUpLabels();
    void drawGrass(float radius);
    void drawGroup(SceneObject& prototype, const Vector3* instances, int count, float radius);

    Game* activeScene = this;  // scene that receives window size changes
    bool spaceLatch = false;
    bool f2Latch = false;
    TextLabel positionLabel;
    TextLabel multiplierLabel;
    TextLabel scoreLabel;
    TextLabel modeLabel;
    TextLabel startLabel;
    TextLabel randomModeLabel;
    TextLabel easyModeLabel;
    Camera worldCamera;
    Camera hudCamera;
    SceneObject player;
    SceneObject follower;
    SceneObject background;
    SceneObject grassTile;
    float elapsed = 0.0f;          // seconds since the level was laid out
    std::array<Vector3, treeCount> treePositions{};
    std::array<Vector3, wallCount> wallPositions{};
    std::array<Vector3, tallWallCount> tallWallPositions{};
    std::array<Vector3, woodCount> woodPositions{};
    std::array<Vector3, floorWoodCount> floorWoodPositions{};
    SceneObject wallObject;
    SceneObject tallWallObject;
    SceneObject treeObject;
    SceneObject woodObject;
    SceneObject floorWoodObject;
    float score = 0.0f;
    float multiplier = 3.0f;
    Vector2 groundOffset;      // pan offset subtracted from every ground position; within [-25, 25]
    Vector3 cameraEye;         // recomputed by every render before use
    Vector2 cameraAngles;      // radians: x yaw, y pitch
    float terrainRay = 15.0f;  // level units: eye distance factor, bend and cull radius; >= 0
    int cameraMode = cameraPan;
    bool usePerspective = true;
    // Set by resize; these defaults only keep a render before the first resize finite.
    float orthoHalfHeight = 14.625f;  // 26 x height / width
    float viewportWidth = 1280.0f;
    float viewportHeight = 720.0f;

    // The live labels' texts, formatted in place each update (no allocation per frame).
    char positionText[32] = "";
    char multiplierText[16] = "";
    char scoreText[16] = "";
};
