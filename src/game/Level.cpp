// Level: the yard's layout: two tree rows and random trees, the house and the four corner
// enclosures of walls, the wood blocks and the floor tiles.
#include "game/Level.h"

#include <cassert>
#include <cstddef>

namespace {

const Vector3 removed(-1000.0f, -1000.0f, -1000.0f);

// A grid point of the layout; every coordinate the layout computes is a small integer, which a
// float holds exactly.
Vector3 gridPoint(int x, int y, float z) {
    return Vector3(static_cast<float>(x), static_cast<float>(y), z);
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

// Short walls off the outer ring: the lintel over the house's opening, caps on the house's
// corners, the posts under the raised stretch of the near wall, lintels over the enclosures' gaps.
constexpr float innerWalls[13][3] = {
    {6, 0, 4},    {0, 0, 6},    {12, 0, 6},    {0, 12, 6},   {12, 12, 6}, {0, -30, 2},  {0, -30, 0},
    {12, -30, 2}, {12, -30, 0}, {-18, -24, 4}, {18, -24, 4}, {24, 18, 4}, {-24, 18, 4},
};

// Caps on the enclosures' corners, at the tall walls' height.
constexpr float wallCaps[16][2] = {
    {-30, -30}, {30, -30}, {-30, 30}, {30, 30}, {-18, -30}, {18, -30}, {-18, 30}, {18, 30},
    {-18, -18}, {18, -18}, {-18, 18}, {18, 18}, {-30, -18}, {30, -18}, {-30, 18}, {30, 18},
};

// Floor tiles in the house's opening and the three in front of it.
constexpr float doorSteps[4][2] = {{6, 0}, {6, -2}, {4, -2}, {8, -2}};

// Floor tiles in each enclosure's gap (the first four) and three in front of each, outside.
constexpr float enclosureFloors[16][2] = {
    {-18, -24}, {18, -24}, {24, 18}, {-24, 18}, {-16, -24}, {16, -24}, {24, 16}, {-24, 16},
    {-16, -22}, {16, -22}, {22, 16}, {-22, 16}, {-16, -26}, {16, -26}, {26, 16}, {-26, 16},
};

// Corner (x, y) of each 5 x 5 wood block, in block units of 2: block 0 starts at (1, 1).
constexpr int woodBlockOrigins[5][2] = {{1, 1}, {-14, -14}, {-14, 10}, {10, -14}, {10, 10}};

// The layout counts with ints; this is the one place they become array indices.
// NOTE: every index is a constant of the layout, so a bad one is a programming error.
template <std::size_t count>
Vector3& slot(std::array<Vector3, count>& positions, int index) {
    assert(index >= 0 && static_cast<std::size_t>(index) < count);
    return positions[static_cast<std::size_t>(index)];
}

}  // namespace

namespace {
constexpr unsigned fixedRandomStart = 12345u;
unsigned fixedRandomState = fixedRandomStart;
}  // namespace

int Level::fixedRandom() {
    fixedRandomState = fixedRandomState * 1103515245u + 12345u;
    return static_cast<int>((fixedRandomState >> 16) & 0x7FFFu);
}

void Level::restartFixedRandom() { fixedRandomState = fixedRandomStart; }

void Level::layOut(RandomSource next) {
    layOutTrees(next);
    layOutWalls();
    layOutWood();
}

void Level::layOutTrees(RandomSource next) {
    for (int i = 0; i < 14; ++i) {
        const int x = i <= 6 ? 3 : 11;
        const int y = i <= 6 ? -4 * (i + 1) : -4 * (i + 1) + 28;
        slot(treePositions, i) = gridPoint(x, y, 0.0f);
    }
    // Random trees keep 2 units off the lines x = -30 and x = 30, where the enclosures stand.
    for (int i = 14; i <= 20; ++i) {
        int x = next() % 40 - 40;
        const int y = next() % 14 - 7;
        if (x >= -32 && x <= -28) {
            x -= 4;
        }
        slot(treePositions, i) = gridPoint(x, y, 0.0f);
    }
    for (int i = 21; i <= 29; ++i) {
        int x = next() % 20 + 20;
        const int y = next() % 14 - 7;
        if (x >= 28 && x <= 32) {
            x += 4;
        }
        slot(treePositions, i) = gridPoint(x, y, 0.0f);
    }
}

void Level::layOutWalls() {
    for (int i = 0; i <= 16; ++i) {
        const int x = -16 + 2 * i;
        slot(wallPositions, i) = gridPoint(x, -30, x > -2 && x < 14 ? 4.0f : 0.0f);
    }
    for (int i = 17; i <= 33; ++i) {
        slot(wallPositions, i) = gridPoint(-16 + 2 * (i - 17), 30, 0.0f);
    }
    for (int i = 34; i <= 50; ++i) {
        slot(wallPositions, i) = gridPoint(-30, -16 + 2 * (i - 34), 0.0f);
    }
    for (int i = 51; i <= 67; ++i) {
        slot(wallPositions, i) = gridPoint(30, -16 + 2 * (i - 51), 0.0f);
    }
    for (int k = 0; k < 13; ++k) {
        slot(wallPositions, 68 + k) = Vector3(innerWalls[k][0], innerWalls[k][1], innerWalls[k][2]);
    }
    for (int k = 0; k < 16; ++k) {
        slot(wallPositions, 81 + k) = Vector3(wallCaps[k][0], wallCaps[k][1], 6.0f);
    }

    // Each door takes a tall wall out and puts two short walls, one above the other, in its place.
    int nextShortWall = 97;
    for (const WallRun& run : tallWallRuns) {
        for (int i = run.first; i <= run.last; ++i) {
            const float x = static_cast<float>(run.xStep * i + run.x0);
            const float y = static_cast<float>(run.yStep * i + run.y0);
            if (i == run.gap) {
                slot(tallWallPositions, i) = removed;
            } else if (i == run.door) {
                slot(tallWallPositions, i) = removed;
                slot(wallPositions, nextShortWall++) = Vector3(x, y, 0.0f);
                slot(wallPositions, nextShortWall++) = Vector3(x, y, 4.0f);
            } else {
                slot(tallWallPositions, i) = Vector3(x, y, 0.0f);
            }
        }
    }
}

void Level::layOutWood() {
    for (int block = 0; block < 5; ++block) {
        for (int a = 0; a < 5; ++a) {
            for (int b = 0; b < 5; ++b) {
                const Vector3 p = gridPoint(2 * (a + woodBlockOrigins[block][0]),
                                            2 * (b + woodBlockOrigins[block][1]), 0.0f);
                slot(woodPositions, 25 * block + 5 * a + b) = p;
                slot(floorWoodPositions, 25 * block + 5 * a + b) = p;
            }
        }
    }
    for (int k = 0; k < 4; ++k) {
        slot(floorWoodPositions, 125 + k) = Vector3(doorSteps[k][0], doorSteps[k][1], 0.0f);
    }
    for (int k = 0; k < 16; ++k) {
        slot(floorWoodPositions, 129 + k) =
            Vector3(enclosureFloors[k][0], enclosureFloors[k][1], 0.0f);
    }
}
