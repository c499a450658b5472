// Game: asset loading, the level's set-up, the update in named steps and the curved world.
#include "game/Game.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>

#include "app/Keyboard.h"
#include "app/Renderer.h"

namespace {

constexpr float moveSpeed = 10.0f;  // level units per second
constexpr float diagonalFactor = 0.707f;
constexpr float axisThreshold = 0.04f;  // squared direction component
constexpr float diagonalThreshold = 0.5f;
constexpr float scoreRate = 15.0f;     // per second, times the multiplier
constexpr float followerSpin = 90.0f;  // degrees per second

constexpr float drawMargin = 15.0f;  // drawing radius = terrainRay + this
constexpr int grassCells = 40;       // grid cells -40 ... 39 in x and in y
constexpr float bendPivotDepth = 4.0f;
constexpr float bendRate = 4.0f;  // units beyond terrainRay per radian
constexpr float bendLimit = 3.14159f;

// printf's %d of a float truncated toward zero, without the undefined conversion of values
// that do not fit an int.
int truncateToInt(float v) {
    if (v != v) {
        return 0;
    }
    if (v >= 2147483648.0f) {
        return INT_MAX;
    }
    if (v <= -2147483648.0f) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

// Edge-triggered key: acts once per press.
bool pressed(bool down, bool& latch) {
    if (!down) {
        latch = false;
        return false;
    }
    if (latch) {
        return false;
    }
    latch = true;
    return true;
}

// The arrow keys' direction as the player and the camera move by it: a clear diagonal is cut
// to about unit length; a direction along one axis is left as it is.
Vector2 steeredDirection(const Vector2& d) {
    const float dx2 = d.x * d.x;
    const float dy2 = d.y * d.y;
    Vector2 m = d;
    const bool singleAxis = (dx2 >= axisThreshold && dy2 < axisThreshold) ||
                            (dy2 >= axisThreshold && dx2 < axisThreshold);
    if (!singleAxis && std::fabs(d.x) > diagonalThreshold && std::fabs(d.y) > diagonalThreshold) {
        m *= diagonalFactor;
    }
    return m;
}

void bindTextureOf(const SceneObject& object) {
    if (object.getTexture() != nullptr) {
        object.getTexture()->bind();
    }
}

}  // namespace

bool Game::init() {
    spaceLatch = false;
    f2Latch = false;

    decodeTextures();
    uploadTextures();
    loadMeshes();
    uploadMeshes();
    loadColliders();

    background.init(0.0f, 0.0f, -1.0f, &backgroundMesh, &starsTexture, &worldCamera);
    background.setScaling(200.0f, 200.0f, 1.0f);
    background.setPivot(0.5f, 0.5f);
    grassTile.init(0.0f, 0.0f, 0.0f, &quadMesh, &grassTexture, &worldCamera);
    grassTile.setPivot(0.5f, 0.5f);

    resetLevel();
    setUpLabels();
    buildShaders();
    terrainShader.use();

    cameraRig.reset();
    return true;
}

void Game::setUpLabels() {
    struct Rgb {
        float red, green, blue;  // 0 ... 1
    };
    // One HUD label: its text from (x, y) in HUD units, glyphs glyphSize units wide, turned
    // by angle degrees.
    struct Label {
        TextLabel* label;
        const char* text;
        float x, y;
        unsigned glyphSize;
        Rgb colour;
        float angle;
    };
    // clang-format off
    const Label labels[] = {
        // label           text                          x    y  glyph  colour     angle
        {&positionLabel,   "ca marche!",               150,  35,  90,  {0, 1, 0},   90},
        {&multiplierLabel, "x3",                       230,  35,  90,  {0, 0, 1},   90},
        {&scoreLabel,      "ca marche!",               310,  35,  90,  {0, 1, 0},   90},
        {&modeLabel,       "NORMAL",                    40, 620,  40,  {0, 0, 0},    0},
        {&startLabel,      "PRESS SPACE TO START",     150,  35,  50,  {0, 0, 0},    0},
        {&easyModeLabel,   "PRESS F1 FOR EASY MODE",    80, 450,  30,  {0, 0, 0},   20},
        {&randomModeLabel, "PRESS F2 FOR RANDOM MODE", 600, 600,  25,  {0, 0, 0},  -10},
    };
    // clang-format on
    constexpr float depth = -35.0f;  // every label's z
    for (const Label& l : labels) {
        l.label->init(l.text, l.x, l.y, depth, l.glyphSize, l.colour.red, l.colour.green,
                      l.colour.blue, &fontTexture, &hudCamera);
        l.label->setAngle(l.angle);
    }
}

void Game::resetLevel() {
    // VOLK_FIXED_LEVEL (any non-empty value) lays out the same yard on every run and every
    // build, for comparing pictures; the page sets it from its address (?fixed-level).
    const char* fixed = std::getenv("VOLK_FIXED_LEVEL");
    if (fixed != nullptr && fixed[0] != '\0') {
        Level::restartFixedRandom();
        resetLevel(&Level::fixedRandom);
        return;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    resetLevel(&std::rand);
}

void Game::resetLevel(RandomSource next) {
    player.init(0.0f, 0.0f, -2.0f, &quadMesh, &wallTexture, &worldCamera);
    player.setScaling(2.55f, 7.0f, 1.0f);
    player.setPivot(0.5f, 0.5f);
    follower.init(0.0f, 0.0f, -1.0f, &quadMesh, &wallTexture, &worldCamera);
    follower.setScaling(0.5f, 13.0f, 1.0f);
    follower.setPivot(0.5f, 0.5f);
    follower.setCollider(&quadCollider);

    level.layOut(next);
    setUpPrototypes();

    elapsed = 0.0f;
    background.position.y = 50.0f;
    multiplier = 3.0f;
    score = 0.0f;
}

void Game::setUpPrototypes() {
    struct Prototype {
        SceneObject* object;
        Mesh* mesh;
        Texture* texture;
        float pivot;
    };
    const Prototype prototypes[] = {
        {&treeObject, &treeMesh, &whiteTexture, 0.5f},
        {&wallObject, &wallMesh, &wallTexture, 1.0f},
        {&tallWallObject, &tallWallMesh, &wallTexture, 1.0f},
        {&woodObject, &woodMesh, &woodTexture, 1.0f},
        {&floorWoodObject, &floorWoodMesh, &woodTexture, 1.0f},
    };
    for (const Prototype& p : prototypes) {
        p.object->init(0.0f, 0.0f, 0.0f, p.mesh, p.texture, &worldCamera);
        p.object->setPivot(p.pivot, p.pivot);
        p.object->setCollider(&quadCollider);
    }
}

const SceneObject& Game::getPrototype(PrototypeKind kind) const {
    const SceneObject* prototypes[] = {&treeObject, &wallObject, &tallWallObject, &woodObject,
                                       &floorWoodObject};
    return *prototypes[static_cast<int>(kind)];
}

void Game::update(float dt) {
    keyboard.poll();
    applyKeyPresses();
    showFollowerPosition();
    followPlayer();
    advanceScore(dt);
    const Vector2& d = keyboard.getDirection();
    const Vector2 direction = steeredDirection(d);
    movePlayer(direction, dt);
    cameraRig.steer(direction, dt);
}

void Game::applyKeyPresses() {
    if (pressed(keyboard.f2Down(), f2Latch)) {
        cameraRig.togglePerspective();
    }
    if (pressed(keyboard.spaceDown(), spaceLatch)) {
        cameraRig.nextMode();
    }
}

// NOTE: runs before followPlayer, so the label shows where the follower was in the update
// before this one.
void Game::showFollowerPosition() {
    std::snprintf(positionText, sizeof positionText, "%d %d", truncateToInt(follower.position.x),
                  truncateToInt(follower.position.y));
    positionLabel.setText(positionText);
}

void Game::followPlayer() {
    follower.position.x = player.position.x;
    follower.position.y = player.position.y;
    follower.setAngleZ(elapsed * followerSpin);
    follower.savePosition();
}

void Game::advanceScore(float dt) {
    score += dt * scoreRate * multiplier;
    std::snprintf(multiplierText, sizeof multiplierText, "x%d", truncateToInt(multiplier));
    multiplierLabel.setText(multiplierText);
    std::snprintf(scoreText, sizeof scoreText, "%d", truncateToInt(score));
    scoreLabel.setText(scoreText);
    elapsed += dt;
}

void Game::movePlayer(const Vector2& direction, float dt) {
    player.position.x += moveSpeed * dt * direction.x;
    player.position.y += moveSpeed * dt * direction.y;
}

void Game::render() {
    renderer.clear();

    // World camera: projection by mode, eye on its orbit around the view centre.
    worldCamera.setViewIdentity();
    basicShader.use();
    cameraRig.aim(worldCamera);

    // Backdrop behind everything. NOTE: "projMat" is still the previous frame's here.
    renderer.setDepthMask(false);
    background.draw();
    renderer.setDepthMask(true);

    const float terrainRay = cameraRig.getTerrainRay();
    const float radius = terrainRay + drawMargin;
    terrainShader.use();
    terrainShader.setUniformMatrix4("projMat", worldCamera.projection());
    terrainShader.setUniform1f("terrainRay", terrainRay);
    drawGrass(radius);

    basicShader.use();
    basicShader.setUniformMatrix4("projMat", worldCamera.projection());
    bindTextureOf(treeObject);
    drawGroup(treeObject, level.getTreePositions().data(), Level::treeCount, radius);
    bindTextureOf(wallObject);
    drawGroup(wallObject, level.getWallPositions().data(), Level::wallCount, radius);
    drawGroup(tallWallObject, level.getTallWallPositions().data(), Level::tallWallCount, radius);
    bindTextureOf(woodObject);
    drawGroup(woodObject, level.getWoodPositions().data(), Level::woodCount, radius);
    drawGroup(floorWoodObject, level.getFloorWoodPositions().data(), Level::floorWoodCount, radius);
}

void Game::drawGrass(float radius) {
    const float tileX = grassTile.position.x;
    const float tileY = grassTile.position.y;
    const Vector2& groundOffset = cameraRig.getGroundOffset();
    const float baseX = tileX - groundOffset.x;
    const float baseY = tileY - groundOffset.y;
    const float radiusSquared = radius * radius;
    for (int i = -grassCells; i < grassCells; ++i) {
        for (int j = -grassCells; j < grassCells; ++j) {
            const Vector2 p(baseX + static_cast<float>(i), baseY + static_cast<float>(j));
            if (p.x * p.x + p.y * p.y < radiusSquared) {
                terrainShader.setUniform2f("pos", p);
                grassTile.position.x = p.x;
                grassTile.position.y = p.y;
                grassTile.draw();
            }
        }
    }
    grassTile.position.x = tileX;
    grassTile.position.y = tileY;
}

void Game::drawGroup(SceneObject& prototype, const Vector3* instances, int count, float radius) {
    for (int k = 0; k < count; ++k) {
        drawInstance(prototype, instances[k], radius);
    }
}

InstancePlacement Game::placeInstance(SceneObject& prototype, const Vector3& instance,
                                      float radius) {
    const Vector2& groundOffset = cameraRig.getGroundOffset();
    const float terrainRay = cameraRig.getTerrainRay();
    prototype.position =
        Vector3(instance.x - groundOffset.x, instance.y - groundOffset.y, instance.z);
    const Vector2 q(prototype.position.x, prototype.position.y);
    const float s = q.x * q.x + q.y * q.y;
    if (!(s < radius * radius)) {
        return InstancePlacement::hidden;
    }
    if (!(s > terrainRay * terrainRay)) {
        prototype.updateModelView();
        return InstancePlacement::flat;
    }

    // Carry the instance to the rim circle, tip it about a horizontal axis through a point
    // below the ground there by its distance beyond the rim, and raise it back in that frame.
    prototype.setModelView(worldCamera.view());
    Vector2 u = q;
    u.normalize();
    u *= terrainRay;
    prototype.position.x = u.x;
    prototype.position.y = u.y;
    prototype.translate(u.x, u.y, -bendPivotDepth);
    // NOTE: the tangent (-q.y, q.x) / |q|, not a cross product of (u, z) and (u, -10): that one
    // vanishes at terrainRay 0 or z = -10 and flips below z = -10. Here |q| > terrainRay >= 0.
    const float length = std::sqrt(s);
    float angle = (length - terrainRay) / bendRate;
    if (angle > bendLimit) {
        angle = bendLimit;
    }
    prototype.rotate(angle, -q.y / length, q.x / length, 0.0f);
    prototype.translate(0.0f, 0.0f, instance.z + bendPivotDepth);
    prototype.scale(1.0f, 1.0f, 1.0f);
    prototype.translate(-prototype.getPivot().x, -prototype.getPivot().y, 0.0f);
    return InstancePlacement::bent;
}

void Game::drawInstance(SceneObject& prototype, const Vector3& instance, float radius) {
    // Both drawn paths leave the texture alone: the caller binds it once per group.
    if (placeInstance(prototype, instance, radius) != InstancePlacement::hidden &&
        prototype.getMesh() != nullptr) {
        prototype.getMesh()->draw(prototype.getModelView());
    }
    prototype.position = Vector3(0.0f, 0.0f, 0.0f);
}

void Game::resize(int width, int height) {
    // NOTE: a minimised window reports 0 x 0; dividing by it would poison the aspect ratio and
    // the orthographic height until the next resize, so nothing changes until a real size comes.
    if (width <= 0 || height <= 0) {
        return;
    }
    renderer.setViewport(0, 0, width, height);
    worldCamera.setProjectionIdentity();
    hudCamera.setProjectionIdentity();
    cameraRig.setViewport(width, height);

    // The perspective call writes its entries over the orthographic ones in the same matrix.
    hudCamera.ortho(0.0f, 20.0f, 0.0f, 11.25f, -10.0f, 1000.0f);
    hudCamera.perspective(90.0f, 1.7777778f, -5.0f, 5.0f);
    hudCamera.lookAt(15.0f, 15.0f, 10.0f, 0.0f, 0.0f, -10.0f, 0.0f, 10.0f, 0.0f);
}

void Game::onWindowResize(int width, int height) { activeScene->resize(width, height); }
