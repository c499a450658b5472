// Game: the one scene the frame loop drives: its assets, level, camera rig, update and rendering.
#pragma once

#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "game/CameraRig.h"
#include "game/GameAssets.h"
#include "game/Level.h"
#include "game/SceneObject.h"
#include "math/Camera.h"
#include "math/Vector2.h"
#include "math/Vector3.h"
#include "render/ShaderProgram.h"
#include "render/TextLabel.h"
#include "render/Texture.h"

// The five prototype scene objects, one per kind of level instance, in drawing order.
enum class PrototypeKind { tree, wall, tallWall, wood, floorWood };

// How drawInstance treats one instance: beyond the drawing radius, on the flat part of the
// world, or tipped over the horizon.
enum class InstancePlacement { hidden, flat, bent };

// NOTE: the assets are a private base, so the scene names them as its own members
// (quadMesh, basicShader) while AssetManifest addresses them as GameAssets members.
class Game : private GameAssets {
public:
    using RandomSource = Level::RandomSource;

    Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Loads every asset (GL context required), builds the level; always true.
    bool init();
    // Lays the level out with random trees from srand(time) and rand(), or from the start of
    // Level::fixedRandom when the environment sets VOLK_FIXED_LEVEL: the same yard each time.
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
    const Level& getLevel() const { return level; }
    const CameraRig& getCameraRig() const { return cameraRig; }
    const SceneObject& getPlayer() const { return player; }
    const SceneObject& getFollower() const { return follower; }
    const SceneObject& getBackground() const { return background; }
    const SceneObject& getGrassTile() const { return grassTile; }
    const SceneObject& getPrototype(PrototypeKind kind) const;
    const Camera& getWorldCamera() const { return worldCamera; }
    const Camera& getHudCamera() const { return hudCamera; }
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

    // Camera state set directly, for views the keys take a while to reach (benchmark, tests).
    void setCameraAngles(const Vector2& angles) { cameraRig.setAngles(angles); }
    void setTerrainRay(float ray) { cameraRig.setTerrainRay(ray); }
    void setGroundOffset(const Vector2& offset) { cameraRig.setGroundOffset(offset); }
    // Puts the world view back to the identity, as every render starts; instances placed
    // outside a render then come out in world coordinates (tests).
    void resetWorldView() { worldCamera.setViewIdentity(); }

private:
    // The steps of update, in the order it takes them.
    void applyKeyPresses();
    void showFollowerPosition();
    void followPlayer();
    void advanceScore(float dt);
    void movePlayer(const Vector2& direction, float dt);

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
    float elapsed = 0.0f;  // seconds since the level was laid out
    Level level;
    SceneObject wallObject;
    SceneObject tallWallObject;
    SceneObject treeObject;
    SceneObject woodObject;
    SceneObject floorWoodObject;
    float score = 0.0f;
    float multiplier = 3.0f;
    CameraRig cameraRig;

    // The live labels' texts, formatted in place each update (no allocation per frame).
    char positionText[32] = "";
    char multiplierText[16] = "";
    char scoreText[16] = "";
};
