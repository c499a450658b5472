// Game: asset loading, the level layout, the per-frame update and the curved world's rendering.
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
constexpr float panLimit = 25.0f;
constexpr int cameraModeCount = 3;

constexpr float fieldOfView = 40.0f;  // degrees, vertical
constexpr float nearPlane = 1.0f;
constexpr float farPlane = 1000.0f;
constexpr float orthoHalfWidth = 26.0f;
constexpr float eyeDistanceFactor = 3.0f;  // times terrainRay
// NOTE: at terrainRay 0 the eye would sit on the view centre and lookAt would divide zero by
// zero, turning the whole frame to NaN; the eye stays at least this far out instead.
constexpr float minimumEyeRay = 0.01f;
constexpr float drawMargin = 15.0f;  // drawing radius = terrainRay + this
constexpr int grassCells = 40;       // grid cells -40 ... 39 in x and in y
constexpr float bendPivotDepth = 4.0f;
constexpr float bendRate = 4.0f;  // units beyond terrainRay per radian
constexpr float bendLimit = 3.14159f;

const Vector3 removed(-1000.0f, -1000.0f, -1000.0f);

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

void bindTextureOf(const SceneObject& object) {
    if (object.getTexture() != nullptr) {
        object.getTexture()->bind();
    }
}

// One group of tall walls: entry i of first ... last sits at (xStep i + x0, yStep i + y0, 0).
struct WallRun {
    int first;
    int last;
    int xStep;
    int x0;
    int yStep;
    int y0;
    int door;  // entry replaced by a door, or -1
    int gap;   // entry left out, or -1
};

// The house (entries 0 to 22) and the four corner enclosures (23 to 118).
constexpr WallRun tallWallRuns[] = {
    {0, 6, 0, 0, 2, 0, -1, -1},           {7, 8, 2, -12, 0, 0, -1, -1},
    {9, 11, 2, -10, 0, 0, -1, -1},        {12, 17, 0, 12, 2, -22, -1, -1},
    {18, 22, 2, -34, 0, 12, -1, -1},      {23, 29, 2, -76, 0, -30, 26, -1},
    {30, 35, 0, -30, 2, -88, 32, -1},     {36, 41, 2, -100, 0, -18, -1, -1},
    {42, 46, 0, -18, 2, -112, -1, 44},    {47, 53, 2, -76, 0, -30, 50, -1},
    {54, 59, 0, 30, 2, -136, 56, -1},     {60, 65, 2, -102, 0, -18, -1, -1},
    {66, 70, 0, 18, 2, -160, -1, 68},     {71, 77, 2, -124, 0, 30, 74, -1},
    {78, 83, 0, 30, 2, -138, 80, -1},     {84, 89, 2, -150, 0, 18, -1, 87},
    {90, 94, 0, 18, 2, -160, -1, -1},     {95, 101, 2, -220, 0, 30, 98, -1},
    {102, 107, 0, -30, 2, -186, 104, -1}, {108, 113, 2, -244, 0, 18, -1, 110},
    {114, 118, 0, -18, 2, -208, -1, -1},
};

constexpr float innerWalls[13][3] = {
    {6, 0, 4},    {0, 0, 6},    {12, 0, 6},    {0, 12, 6},   {12, 12, 6}, {0, -30, 2},  {0, -30, 0},
    {12, -30, 2}, {12, -30, 0}, {-18, -24, 4}, {18, -24, 4}, {24, 18, 4}, {-24, 18, 4},
};

constexpr float wallCaps[16][2] = {
    {-30, -30}, {30, -30}, {-30, 30}, {30, 30}, {-18, -30}, {18, -30}, {-18, 30}, {18, 30},
    {-18, -18}, {18, -18}, {-18, 18}, {18, 18}, {-30, -18}, {30, -18}, {-30, 18}, {30, 18},
};

constexpr float doorSteps[4][2] = {{6, 0}, {6, -2}, {4, -2}, {8, -2}};

constexpr float enclosureFloors[16][2] = {
    {-18, -24}, {18, -24}, {24, 18}, {-24, 18}, {-16, -24}, {16, -24}, {24, 16}, {-24, 16},
    {-16, -22}, {16, -22}, {22, 16}, {-22, 16}, {-16, -26}, {16, -26}, {26, 16}, {-26, 16},
};

// Corner (x, y) of each 5 x 5 wood block, in block units of 2: block 0 starts at (1, 1).
constexpr int woodBlockOrigins[5][2] = {{1, 1}, {-14, -14}, {-14, 10}, {10, -14}, {10, 10}};

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

    cameraAngles = Vector2(0.0f, 0.0f);
    terrainRay = 15.0f;
    cameraMode = cameraPan;
    usePerspective = true;
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

    layOutTrees(next);
    layOutWalls();
    layOutWood();
    setUpPrototypes();

    elapsed = 0.0f;
    background.position.y = 50.0f;
    multiplier = 3.0f;
    score = 0.0f;
}

void Game::layOutTrees(RandomSource next) {
    for (int i = 0; i < 14; ++i) {
        const int x = i <= 6 ? 3 : 11;
        const int y = i <= 6 ? -4 * (i + 1) : -4 * (i + 1) + 28;
        treePositions[i] = Vector3(x, y, 0.0f);
    }
    // Random trees keep 2 units off the lines x = -30 and x = 30, where the enclosures stand.
    for (int i = 14; i <= 20; ++i) {
        int x = next() % 40 - 40;
        const int y = next() % 14 - 7;
        if (x >= -32 && x <= -28) {
            x -= 4;
        }
        treePositions[i] = Vector3(x, y, 0.0f);
    }
    for (int i = 21; i <= 29; ++i) {
        int x = next() % 20 + 20;
        const int y = next() % 14 - 7;
        if (x >= 28 && x <= 32) {
            x += 4;
        }
        treePositions[i] = Vector3(x, y, 0.0f);
    }
}

void Game::layOutWalls() {
    for (int i = 0; i <= 16; ++i) {
        const int x = -16 + 2 * i;
        wallPositions[i] = Vector3(x, -30.0f, x > -2 && x < 14 ? 4.0f : 0.0f);
    }
    for (int i = 17; i <= 33; ++i) {
        wallPositions[i] = Vector3(-16 + 2 * (i - 17), 30.0f, 0.0f);
    }
    for (int i = 34; i <= 50; ++i) {
        wallPositions[i] = Vector3(-30.0f, -16 + 2 * (i - 34), 0.0f);
    }
    for (int i = 51; i <= 67; ++i) {
        wallPositions[i] = Vector3(30.0f, -16 + 2 * (i - 51), 0.0f);
    }
    for (int k = 0; k < 13; ++k) {
        wallPositions[68 + k] = Vector3(innerWalls[k][0], innerWalls[k][1], innerWalls[k][2]);
    }
    for (int k = 0; k < 16; ++k) {
        wallPositions[81 + k] = Vector3(wallCaps[k][0], wallCaps[k][1], 6.0f);
    }

    // Each door takes a tall wall out and puts two short walls, one above the other, in its place.
    int nextShortWall = 97;
    for (const WallRun& run : tallWallRuns) {
        for (int i = run.first; i <= run.last; ++i) {
            const float x = static_cast<float>(run.xStep * i + run.x0);
            const float y = static_cast<float>(run.yStep * i + run.y0);
            if (i == run.gap) {
                tallWallPositions[i] = removed;
            } else if (i == run.door) {
                tallWallPositions[i] = removed;
                wallPositions[nextShortWall++] = Vector3(x, y, 0.0f);
                wallPositions[nextShortWall++] = Vector3(x, y, 4.0f);
            } else {
                tallWallPositions[i] = Vector3(x, y, 0.0f);
            }
        }
    }
}

void Game::layOutWood() {
    for (int block = 0; block < 5; ++block) {
        for (int a = 0; a < 5; ++a) {
            for (int b = 0; b < 5; ++b) {
                const Vector3 p(2 * (a + woodBlockOrigins[block][0]),
                                2 * (b + woodBlockOrigins[block][1]), 0.0f);
                woodPositions[25 * block + 5 * a + b] = p;
                floorWoodPositions[25 * block + 5 * a + b] = p;
            }
        }
    }
    for (int k = 0; k < 4; ++k) {
        floorWoodPositions[125 + k] = Vector3(doorSteps[k][0], doorSteps[k][1], 0.0f);
    }
    for (int k = 0; k < 16; ++k) {
        floorWoodPositions[129 + k] = Vector3(enclosureFloors[k][0], enclosureFloors[k][1], 0.0f);
    }
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

const TextLabel& Game::getLabel(int index) const {
    const TextLabel* labels[] = {&positionLabel, &multiplierLabel, &scoreLabel,   &modeLabel,
                                 &startLabel,    &randomModeLabel, &easyModeLabel};
    const bool inRange = index >= 0 && static_cast<std::size_t>(index) < std::size(labels);
    return *labels[inRange ? index : 0];
}

void Game::update(float dt) {
    keyboard.poll();
    if (pressed(keyboard.f2Down(), f2Latch)) {
        usePerspective = !usePerspective;
    }
    if (pressed(keyboard.spaceDown(), spaceLatch)) {
        cameraMode = (cameraMode + 1) % cameraModeCount;
    }

    // The follower's position from the previous update.
    std::snprintf(positionText, sizeof positionText, "%d %d", truncateToInt(follower.position.x),
                  truncateToInt(follower.position.y));
    positionLabel.setText(positionText);

    follower.position.x = player.position.x;
    follower.position.y = player.position.y;
    follower.setAngleZ(elapsed * followerSpin);
    follower.savePosition();

    score += dt * scoreRate * multiplier;
    std::snprintf(multiplierText, sizeof multiplierText, "x%d", truncateToInt(multiplier));
    multiplierLabel.setText(multiplierText);
    std::snprintf(scoreText, sizeof scoreText, "%d", truncateToInt(score));
    scoreLabel.setText(scoreText);
    elapsed += dt;

    const Vector2& d = keyboard.getDirection();
    const float dx2 = d.x * d.x;
    const float dy2 = d.y * d.y;
    Vector2 m = d;
    const bool singleAxis = (dx2 >= axisThreshold && dy2 < axisThreshold) ||
                            (dy2 >= axisThreshold && dx2 < axisThreshold);
    if (!singleAxis && std::fabs(d.x) > diagonalThreshold && std::fabs(d.y) > diagonalThreshold) {
        m *= diagonalFactor;
    }

    player.position.x += moveSpeed * dt * m.x;
    player.position.y += moveSpeed * dt * m.y;

    switch (cameraMode) {
        case cameraPan:
            groundOffset.x += moveSpeed * dt * m.x;
            groundOffset.y += moveSpeed * dt * m.y;
            if (groundOffset.x < -panLimit) groundOffset.x = -panLimit;
            if (groundOffset.x > panLimit) groundOffset.x = panLimit;
            if (groundOffset.y < -panLimit) groundOffset.y = -panLimit;
            if (groundOffset.y > panLimit) groundOffset.y = panLimit;
            break;
        case cameraOrbit:
            cameraAngles.x += dt * m.x;
            cameraAngles.y += dt * m.y;
            break;
        case cameraZoom:
            terrainRay += moveSpeed * dt * m.y;
            if (!(terrainRay >= 0.0f)) {
                terrainRay = 0.0f;
            }
            break;
        default:
            break;
    }
}

void Game::render() {
    renderer.clear();

    // World camera: projection by mode, eye on its orbit around the view centre.
    worldCamera.setViewIdentity();
    basicShader.use();
    worldCamera.setProjectionIdentity();
    if (usePerspective) {
        worldCamera.perspective(fieldOfView, viewportWidth / viewportHeight, nearPlane, farPlane);
    } else {
        worldCamera.ortho(-orthoHalfWidth, orthoHalfWidth, -orthoHalfHeight, orthoHalfHeight,
                          nearPlane, farPlane);
    }
    const float yaw = cameraAngles.x;
    const float pitch = cameraAngles.y;
    const float distance = eyeDistanceFactor * std::fmax(terrainRay, minimumEyeRay);
    cameraEye =
        Vector3(std::sin(yaw) * distance, -std::cos(yaw) * distance, -std::sin(pitch) * distance);
    worldCamera.lookAt(cameraEye.x, cameraEye.y, cameraEye.z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10.0f);

    // Backdrop behind everything. NOTE: "projMat" is still the previous frame's here.
    renderer.setDepthMask(false);
    background.draw();
    renderer.setDepthMask(true);

    const float radius = terrainRay + drawMargin;
    terrainShader.use();
    terrainShader.setUniformMatrix4("projMat", worldCamera.projection());
    terrainShader.setUniform1f("terrainRay", terrainRay);
    drawGrass(radius);

    basicShader.use();
    basicShader.setUniformMatrix4("projMat", worldCamera.projection());
    bindTextureOf(treeObject);
    drawGroup(treeObject, treePositions.data(), treeCount, radius);
    bindTextureOf(wallObject);
    drawGroup(wallObject, wallPositions.data(), wallCount, radius);
    drawGroup(tallWallObject, tallWallPositions.data(), tallWallCount, radius);
    bindTextureOf(woodObject);
    drawGroup(woodObject, woodPositions.data(), woodCount, radius);
    drawGroup(floorWoodObject, floorWoodPositions.data(), floorWoodCount, radius);
}

void Game::drawGrass(float radius) {
    const float tileX = grassTile.position.x;
    const float tileY = grassTile.position.y;
    const float baseX = tileX - groundOffset.x;
    const float baseY = tileY - groundOffset.y;
    const float radiusSquared = radius * radius;
    for (int i = -grassCells; i < grassCells; ++i) {
        for (int j = -grassCells; j < grassCells; ++j) {
            const Vector2 p(baseX + i, baseY + j);
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
    orthoHalfHeight = static_cast<float>(height) / static_cast<float>(width) * orthoHalfWidth;
    viewportWidth = static_cast<float>(width);
    viewportHeight = static_cast<float>(height);

    // The perspective call writes its entries over the orthographic ones in the same matrix.
    hudCamera.ortho(0.0f, 20.0f, 0.0f, 11.25f, -10.0f, 1000.0f);
    hudCamera.perspective(90.0f, 1.7777778f, -5.0f, 5.0f);
    hudCamera.lookAt(15.0f, 15.0f, 10.0f, 0.0f, 0.0f, -10.0f, 0.0f, 10.0f, 0.0f);
}

void Game::onWindowResize(int width, int height) { activeScene->resize(width, height); }
