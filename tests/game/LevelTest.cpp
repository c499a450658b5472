// Tests of the level layout by the facts of the yard: the house, the four corner enclosures with
// their doors and gaps, the gate, wood blocks and floor tiles, and the random trees' rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "game/Game.h"
#include "game/Level.h"

namespace {

// A scripted source of rand() values for the random trees.
std::vector<int> scripted;
std::size_t scriptedNext = 0;
int scriptedRand() { return scripted[scriptedNext++ % scripted.size()]; }

using Cell = std::pair<int, int>;        // ground position (x, y)
using Spot = std::tuple<int, int, int>;  // (x, y, z)
constexpr int yardEdge = 30;             // the yard's border: |x| or |y| = 30
constexpr int enclosureInner = 18;       // enclosures span |x| and |y| from 18 to 30
constexpr int houseSide = 12;            // the house spans 0 ... 12 in x and in y
constexpr int tallWallHeight = 6;        // short walls are 2 high
const Cell houseOpening(6, 0);

void expectAt(const Vector3& p, float x, float y, float z, const char* what, int i) {
    EXPECT_EQ(p.x, x) << what << " " << i;
    EXPECT_EQ(p.y, y) << what << " " << i;
    EXPECT_EQ(p.z, z) << what << " " << i;
}

bool isRemoved(const Vector3& p) { return p.x == -1000.0f && p.y == -1000.0f && p.z == -1000.0f; }

int toInt(float v) { return static_cast<int>(std::lround(v)); }
Cell cellOf(const Vector3& p) { return {toInt(p.x), toInt(p.y)}; }
Spot spotOf(const Vector3& p) { return {toInt(p.x), toInt(p.y), toInt(p.z)}; }
Cell mirrored(const Cell& c) { return {-c.first, c.second}; }

// The grid points (step 2) on the border of the rectangle with corners (x0, y0), (x1, y1).
std::set<Cell> outline(int x0, int y0, int x1, int y1) {
    std::set<Cell> cells;
    for (int x = std::min(x0, x1); x <= std::max(x0, x1); x += 2) {
        cells.insert({x, y0});
        cells.insert({x, y1});
    }
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); y += 2) {
        cells.insert({x0, y});
        cells.insert({x1, y});
    }
    return cells;
}

std::set<Cell> cornersOf(int x0, int y0, int x1, int y1) {
    return {{x0, y0}, {x0, y1}, {x1, y0}, {x1, y1}};
}

// The level sorted into what a designer talks about.
struct Yard {
    Level level;
    std::set<Cell> tallWalls;  // standing ones
    std::vector<Cell> holes;   // where removed tall walls stood, in array order
    std::set<Spot> shortWalls;
    std::set<Cell> wood;
    std::set<Cell> floor;
    std::map<Cell, int> shortWallCount;  // per cell, any height

    Yard() {
        scripted = {0};
        scriptedNext = 0;
        level.layOut(&scriptedRand);
        const auto& t = level.getTallWallPositions();
        for (int i = 0; i < Level::tallWallCount; ++i) {
            if (isRemoved(t[i])) {
                holes.push_back(holeAt(i));
            } else {
                tallWalls.insert(cellOf(t[i]));
            }
        }
        for (const Vector3& p : level.getWallPositions()) {
            shortWalls.insert(spotOf(p));
            ++shortWallCount[cellOf(p)];
        }
        for (const Vector3& p : level.getWoodPositions()) wood.insert(cellOf(p));
        for (const Vector3& p : level.getFloorWoodPositions()) floor.insert(cellOf(p));
    }

    // A removed tall wall stands inside a straight run: its array neighbours are 2 units either
    // side of it along the wall, so where it stood is midway between them.
    Cell holeAt(int i) const {
        const auto& t = level.getTallWallPositions();
        if (i == 0 || i + 1 == Level::tallWallCount || isRemoved(t[i - 1]) || isRemoved(t[i + 1])) {
            ADD_FAILURE() << "removed tall wall " << i << " is not inside a run";
            return {0, 0};
        }
        const Cell a = cellOf(t[i - 1]);
        const Cell b = cellOf(t[i + 1]);
        const int dx = std::abs(b.first - a.first);
        const int dy = std::abs(b.second - a.second);
        EXPECT_TRUE((dx == 4 && dy == 0) || (dx == 0 && dy == 4)) << "removed tall wall " << i;
        return {(a.first + b.first) / 2, (a.second + b.second) / 2};
    }

    bool hasShort(int x, int y, int z) const { return shortWalls.count({x, y, z}) != 0; }
    bool hasTall(int x, int y) const { return tallWalls.count({x, y}) != 0; }
};

bool onBorder(const Cell& c) {
    return std::abs(c.first) == yardEdge || std::abs(c.second) == yardEdge;
}

// The enclosure in the quadrant of (sx, sy), signs +1 or -1.
std::set<Cell> enclosureOutline(int sx, int sy) {
    return outline(sx * enclosureInner, sy * enclosureInner, sx * yardEdge, sy * yardEdge);
}

// Checks a floor tile in an opening and three in front of it, outside: straight out, and one
// either side along the wall. outward is the unit step away from the room.
void expectStepsAt(const Yard& yard, const Cell& opening, const Cell& outward) {
    const Cell front(opening.first + 2 * outward.first, opening.second + 2 * outward.second);
    const Cell along(outward.second, outward.first);
    for (const Cell& c :
         {opening, front, Cell(front.first + 2 * along.first, front.second + 2 * along.second),
          Cell(front.first - 2 * along.first, front.second - 2 * along.second)}) {
        EXPECT_EQ(yard.floor.count(c), 1u)
            << "tile " << c.first << " " << c.second << " at opening " << opening.first << " "
            << opening.second;
    }
}

}  // namespace

TEST(Level, FixedTreesAndScriptedRandomTrees) {
    scripted = {37, 5,  11, 13, 7,  0, 39, 13, 8, 7, 9,  3,  12, 6,    // left: x, y
                8,  13, 10, 1,  12, 2, 19, 9,  0, 4, 33, 22, 47, 100,  // right: x, y
                9,  27, 31, 14};
    scriptedNext = 0;
    Level level;
    level.layOut(&scriptedRand);
    EXPECT_EQ(scriptedNext, 32u);  // two values per random tree, no more
    const auto& trees = level.getTreePositions();
    // Two rows of seven between the house and the near wall, 4 apart.
    for (int i = 0; i < 7; ++i) {
        const float y = -4.0f * static_cast<float>(i + 1);
        expectAt(trees[i], 3.0f, y, 0.0f, "tree", i);
        expectAt(trees[i + 7], 11.0f, y, 0.0f, "tree", i + 7);
    }
    // Left: x = value mod 40 - 40, moved 4 further out from [-32, -28]; y = value mod 14 - 7.
    const float left[7][2] = {{-3, -2}, {-33, 6},  {-33, -7}, {-1, 6},
                              {-36, 0}, {-35, -4}, {-32, -1}};
    // Right: x = value mod 20 + 20, moved 4 further out from [28, 32].
    const float right[9][2] = {{32, 6}, {34, -6}, {36, -5}, {39, 2}, {20, -3},
                               {33, 1}, {27, -5}, {33, 6},  {35, -7}};
    for (int k = 0; k < 7; ++k) {
        expectAt(trees[14 + k], left[k][0], left[k][1], 0.0f, "tree", 14 + k);
    }
    for (int k = 0; k < 9; ++k) {
        expectAt(trees[21 + k], right[k][0], right[k][1], 0.0f, "tree", 21 + k);
    }
}

TEST(Level, RandomTreesKeepTheirRulesOverManySeeds) {
    std::set<int> leftSeen;
    std::set<int> rightSeen;
    std::set<int> ySeen;
    Level level;
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::srand(seed);
        level.layOut(&std::rand);
        const auto& trees = level.getTreePositions();
        for (int i = 14; i < 30; ++i) {
            const Vector3& t = trees[i];
            ASSERT_EQ(t.x, static_cast<float>(static_cast<int>(t.x)));
            ASSERT_EQ(t.y, static_cast<float>(static_cast<int>(t.y)));
            ASSERT_EQ(t.z, 0.0f);
            ASSERT_GE(t.y, -7.0f);
            ASSERT_LE(t.y, 6.0f);
            ySeen.insert(static_cast<int>(t.y));
            if (i <= 20) {
                ASSERT_GE(t.x, -40.0f);
                ASSERT_LE(t.x, -1.0f);
                ASSERT_FALSE(t.x > -32.0f && t.x < -27.0f) << t.x;  // 2 units off x = -30
                leftSeen.insert(static_cast<int>(t.x));
            } else {
                ASSERT_GE(t.x, 20.0f);
                ASSERT_LE(t.x, 39.0f);
                ASSERT_FALSE(t.x > 27.0f && t.x < 32.0f) << t.x;  // 2 units off x = 30
                rightSeen.insert(static_cast<int>(t.x));
            }
        }
    }
    // Every allowed place comes up: [-40, -32] and [-27, -1]; [20, 27] and [32, 39].
    EXPECT_EQ(leftSeen.size(), 9u + 27u);
    EXPECT_EQ(rightSeen.size(), 8u + 8u);
    EXPECT_EQ(ySeen.size(), 14u);
}

TEST(Level, SameSecondSameTrees) {
    auto first = std::make_unique<Game>();
    auto second = std::make_unique<Game>();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        first->resetLevel();
        second->resetLevel();
        if (std::time(nullptr) != before) {
            continue;  // a second boundary fell in between: try again
        }
        const auto& a = first->getLevel().getTreePositions();
        const auto& b = second->getLevel().getTreePositions();
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(a[i].x, b[i].x) << i;
            EXPECT_EQ(a[i].y, b[i].y) << i;
        }
        return;
    }
}

TEST(Level, EverythingBuiltStandsOnTheGridInsideTheYardOnceEach) {
    const Yard yard;
    const Level& level = yard.level;
    // On the grid (step 2) inside the yard; on the ground, but for short walls, which stack 2
    // high up to a tall wall's height. Returns how many are not removed.
    auto checkGrid = [](const Vector3* p, int count, bool stacks, const char* what) {
        int placed = 0;
        for (int i = 0; i < count; ++i) {
            if (isRemoved(p[i])) continue;
            ++placed;
            const Spot s = spotOf(p[i]);
            EXPECT_EQ(p[i].x, static_cast<float>(std::get<0>(s))) << what << " " << i;
            EXPECT_EQ(p[i].y, static_cast<float>(std::get<1>(s))) << what << " " << i;
            EXPECT_EQ(p[i].z, static_cast<float>(std::get<2>(s))) << what << " " << i;
            EXPECT_TRUE(std::get<0>(s) % 2 == 0 && std::get<1>(s) % 2 == 0) << what << " " << i;
            EXPECT_TRUE(std::abs(std::get<0>(s)) <= yardEdge &&
                        std::abs(std::get<1>(s)) <= yardEdge)
                << what << " " << i;
            const int z = std::get<2>(s);
            EXPECT_TRUE(stacks ? z % 2 == 0 && z >= 0 && z <= tallWallHeight : z == 0)
                << what << " " << i;
        }
        return placed;
    };
    checkGrid(level.getWallPositions().data(), Level::wallCount, true, "wall");
    const int standing =
        checkGrid(level.getTallWallPositions().data(), Level::tallWallCount, false, "tall wall");
    checkGrid(level.getWoodPositions().data(), Level::woodCount, false, "wood");
    checkGrid(level.getFloorWoodPositions().data(), Level::floorWoodCount, false, "floor");
    for (int i = 0; i < 14; ++i) {  // the fixed trees stand in the yard too
        EXPECT_LT(std::abs(level.getTreePositions()[i].x), static_cast<float>(yardEdge)) << i;
        EXPECT_LT(std::abs(level.getTreePositions()[i].y), static_cast<float>(yardEdge)) << i;
    }

    // No two of a kind in one place; twelve tall walls taken out (eight doors, four gaps).
    EXPECT_EQ(yard.shortWalls.size(), static_cast<std::size_t>(Level::wallCount));
    EXPECT_EQ(yard.tallWalls.size(), static_cast<std::size_t>(standing));
    EXPECT_EQ(yard.holes.size(), 12u);
    EXPECT_EQ(standing + 12, Level::tallWallCount);
    EXPECT_EQ(yard.wood.size(), static_cast<std::size_t>(Level::woodCount));
    EXPECT_EQ(yard.floor.size(), static_cast<std::size_t>(Level::floorWoodCount));

    // Walls do not run into each other or into the wood: a short wall on a tall wall's cell is
    // its cap, and blocks and tiles keep off every wall standing on the ground.
    for (const Spot& s : yard.shortWalls) {
        const Cell c(std::get<0>(s), std::get<1>(s));
        if (yard.tallWalls.count(c) != 0) {
            EXPECT_EQ(std::get<2>(s), tallWallHeight) << c.first << " " << c.second;
        }
        if (std::get<2>(s) == 0) {
            EXPECT_EQ(yard.wood.count(c), 0u) << c.first << " " << c.second;
            EXPECT_EQ(yard.floor.count(c), 0u) << c.first << " " << c.second;
        }
    }
    for (const Cell& c : yard.tallWalls) {
        EXPECT_EQ(yard.wood.count(c), 0u) << c.first << " " << c.second;
        EXPECT_EQ(yard.floor.count(c), 0u) << c.first << " " << c.second;
    }
}

TEST(Level, HouseIsClosedButForItsOpening) {
    const Yard yard;
    // The 12 x 12 outline of tall walls, all but (6, 0) in its front wall; nothing else of the
    // tall walls stands between the enclosures.
    std::set<Cell> outlineCells = outline(0, 0, houseSide, houseSide);
    std::set<Cell> house;
    for (const Cell& c : yard.tallWalls) {
        if (std::abs(c.first) < enclosureInner && std::abs(c.second) < enclosureInner) {
            house.insert(c);
        }
    }
    outlineCells.erase(houseOpening);
    EXPECT_EQ(house, outlineCells);
    EXPECT_EQ(house.size(), 23u);
    // A lintel over the opening, a tile in it and three in front (outside is -y).
    EXPECT_TRUE(yard.hasShort(houseOpening.first, houseOpening.second, 4));
    EXPECT_EQ(yard.shortWallCount.at(houseOpening), 1);
    expectStepsAt(yard, houseOpening, Cell(0, -1));
}

TEST(Level, FourEnclosuresWithTwoDoorsOutAndOneGapIn) {
    const Yard yard;
    // Every hole in the tall walls is a door in the yard's border or a gap on an inner side.
    std::vector<Cell> doors;
    std::set<Cell> gaps;
    for (const Cell& hole : yard.holes) {
        if (onBorder(hole)) {
            doors.push_back(hole);
        } else {
            gaps.insert(hole);
        }
    }
    ASSERT_EQ(doors.size(), 8u);
    ASSERT_EQ(gaps.size(), 4u);

    for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
            SCOPED_TRACE(testing::Message() << "enclosure " << sx << " " << sy);
            // Its outline of tall walls, but for three holes: one door in each outer wall,
            // one gap in an inner wall, none at a corner.
            const std::set<Cell> cells = enclosureOutline(sx, sy);
            const std::set<Cell> corners =
                cornersOf(sx * enclosureInner, sy * enclosureInner, sx * yardEdge, sy * yardEdge);
            EXPECT_EQ(cells.size(), 24u);
            int outerX = 0, outerY = 0, inner = 0;
            for (const Cell& c : cells) {
                if (yard.hasTall(c.first, c.second)) continue;
                EXPECT_EQ(corners.count(c), 0u) << c.first << " " << c.second;
                EXPECT_EQ(std::count(yard.holes.begin(), yard.holes.end(), c), 1)
                    << c.first << " " << c.second;
                if (std::abs(c.first) == yardEdge) ++outerX;
                if (std::abs(c.second) == yardEdge) ++outerY;
                if (gaps.count(c) != 0) ++inner;
            }
            EXPECT_EQ(outerX, 1);
            EXPECT_EQ(outerY, 1);
            EXPECT_EQ(inner, 1);
        }
    }
    // No tall wall stands outside the house and the four enclosure outlines.
    std::size_t enclosed = 0;
    for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
            for (const Cell& c : enclosureOutline(sx, sy)) {
                enclosed += yard.hasTall(c.first, c.second) ? 1u : 0u;
            }
        }
    }
    EXPECT_EQ(enclosed + 23u, yard.tallWalls.size());

    // Doors sit mid-wall (24 out), but for the far enclosures' side doors at y = 22, a step
    // toward the middle. Each is a short wall on the ground and one at 4 with a window between,
    // filling the last sixteen short-wall entries in the order of the tall walls they replace.
    const auto& w = yard.level.getWallPositions();
    for (std::size_t k = 0; k < doors.size(); ++k) {
        const Cell& d = doors[k];
        if (std::abs(d.second) == yardEdge) {
            EXPECT_EQ(std::abs(d.first), 24) << k;
        } else {
            EXPECT_EQ(d.second, d.second < 0 ? -24 : 22) << k;
        }
        const int i = 97 + 2 * static_cast<int>(k);
        expectAt(w[i], static_cast<float>(d.first), static_cast<float>(d.second), 0.0f, "door", i);
        expectAt(w[i + 1], static_cast<float>(d.first), static_cast<float>(d.second), 4.0f, "door",
                 i + 1);
        EXPECT_EQ(yard.shortWallCount.at(d), 2) << k;
    }
    // Gaps sit mid-wall too, with a lintel over them and tiles leading in from the outside.
    for (const Cell& g : gaps) {
        SCOPED_TRACE(testing::Message() << "gap " << g.first << " " << g.second);
        const bool sideWall = std::abs(g.first) == enclosureInner;
        EXPECT_EQ(std::abs(sideWall ? g.second : g.first), 24);
        EXPECT_TRUE(yard.hasShort(g.first, g.second, 4));
        EXPECT_EQ(yard.shortWallCount.at(g), 1);
        const int out = (sideWall ? g.first : g.second) < 0 ? 1 : -1;  // toward the middle
        expectStepsAt(yard, g, sideWall ? Cell(out, 0) : Cell(0, out));
    }
}

TEST(Level, BorderClosedButForTheGateAndNothingFloats) {
    const Yard yard;
    // At the ground, every grid point of the yard's border holds a wall, but for the gate in the
    // near wall (y = -30) from x = 2 to 10.
    std::set<Cell> open;
    for (const Cell& c : outline(-yardEdge, -yardEdge, yardEdge, yardEdge)) {
        if (!yard.hasTall(c.first, c.second) && !yard.hasShort(c.first, c.second, 0)) {
            open.insert(c);
        }
    }
    const std::set<Cell> gate = {{2, -30}, {4, -30}, {6, -30}, {8, -30}, {10, -30}};
    EXPECT_EQ(open, gate);
    // The near wall's stretch over the gate, x = 0 to 12, is raised to 4 on posts at its ends.
    for (int x = -16; x <= 16; x += 2) {
        const bool raised = x >= 0 && x <= houseSide;
        EXPECT_EQ(yard.hasShort(x, -yardEdge, 4), raised) << x;
        EXPECT_EQ(yard.hasShort(x, -yardEdge, 0), !raised || x == 0 || x == houseSide) << x;
    }
    // Between the enclosures the border is short walls, one to a grid point.
    for (int v = -16; v <= 16; v += 2) {
        for (const Cell& c : {Cell(v, yardEdge), Cell(yardEdge, v), Cell(-yardEdge, v)}) {
            EXPECT_EQ(yard.shortWallCount.count(c) ? yard.shortWallCount.at(c) : 0, 1)
                << c.first << " " << c.second;
        }
    }

    // Caps at the tall walls' height stand on every corner of the house and the enclosures and
    // nowhere else.
    std::set<Cell> caps;
    for (const Spot& s : yard.shortWalls) {
        if (std::get<2>(s) == tallWallHeight) caps.insert({std::get<0>(s), std::get<1>(s)});
    }
    std::set<Cell> corners = cornersOf(0, 0, houseSide, houseSide);
    for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
            for (const Cell& c : cornersOf(sx * enclosureInner, sy * enclosureInner, sx * yardEdge,
                                           sy * yardEdge)) {
                corners.insert(c);
            }
        }
    }
    EXPECT_EQ(caps, corners);
    EXPECT_EQ(caps.size(), 20u);

    // Every raised short wall rests on one below it, caps a tall wall, or spans an opening
    // between two neighbours along its wall that reach its height.
    auto reaches = [&](int x, int y, int z) {
        return yard.hasTall(x, y) || yard.hasShort(x, y, z);
    };
    for (const Spot& s : yard.shortWalls) {
        const int x = std::get<0>(s), y = std::get<1>(s), z = std::get<2>(s);
        if (z == 0) continue;
        const bool rests = yard.hasShort(x, y, z - 2);
        const bool isCap = z == tallWallHeight && yard.hasTall(x, y);
        const bool spans = z < tallWallHeight && ((reaches(x - 2, y, z) && reaches(x + 2, y, z)) ||
                                                  (reaches(x, y - 2, z) && reaches(x, y + 2, z)));
        EXPECT_TRUE(rests || isCap || spans) << x << " " << y << " " << z;
    }
}

TEST(Level, OutsideTheMiddleTheYardIsItsOwnMirrorImage) {
    const Yard yard;
    // The house, its path and the gate keep to |x| < 16; the rest mirrors across x = 0.
    auto mirrorsOutsideMiddle = [](const std::set<Cell>& cells, const char* what) {
        for (const Cell& c : cells) {
            if (std::abs(c.first) < 16) continue;
            EXPECT_EQ(cells.count(mirrored(c)), 1u) << what << " " << c.first << " " << c.second;
        }
    };
    mirrorsOutsideMiddle(yard.tallWalls, "tall wall");
    mirrorsOutsideMiddle(yard.wood, "wood");
    mirrorsOutsideMiddle(yard.floor, "floor");
    for (const Spot& s : yard.shortWalls) {
        if (std::abs(std::get<0>(s)) < 16) continue;
        EXPECT_TRUE(yard.hasShort(-std::get<0>(s), std::get<1>(s), std::get<2>(s)))
            << std::get<0>(s) << " " << std::get<1>(s) << " " << std::get<2>(s);
    }
    std::set<Cell> holes(yard.holes.begin(), yard.holes.end());
    mirrorsOutsideMiddle(holes, "hole");
    EXPECT_EQ(holes.size(), 12u);
}

TEST(Level, WoodBlocksFillTheRoomsOnFloorTiles) {
    const Yard yard;
    const auto& wood = yard.level.getWoodPositions();
    const auto& floor = yard.level.getFloorWoodPositions();
    // Five blocks of 5 x 5, each filling the inside of the house or of one enclosure; a floor
    // tile under every block, entry for entry.
    std::vector<std::set<Cell>> rooms = {{}};
    for (int x = 2; x < houseSide; x += 2) {
        for (int y = 2; y < houseSide; y += 2) rooms[0].insert({x, y});
    }
    for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
            std::set<Cell> inside;
            for (int a = enclosureInner + 2; a < yardEdge; a += 2) {
                for (int b = enclosureInner + 2; b < yardEdge; b += 2)
                    inside.insert({sx * a, sy * b});
            }
            rooms.push_back(inside);
        }
    }
    for (int block = 0; block < 5; ++block) {
        std::set<Cell> cells;
        for (int k = 0; k < 25; ++k) cells.insert(cellOf(wood[25 * block + k]));
        const auto room = std::find(rooms.begin(), rooms.end(), cells);
        ASSERT_NE(room, rooms.end()) << "block " << block;
        rooms.erase(room);  // one block to a room
    }
    for (int i = 0; i < Level::woodCount; ++i) {
        expectAt(floor[i], wood[i].x, wood[i].y, 0.0f, "floor", i);
    }
    // Besides those, only the tiles in and before the five openings (tested with them).
    EXPECT_EQ(Level::floorWoodCount - Level::woodCount, 5 * 4);
}

TEST(Level, ResetSetsUpPrototypesAndLevelValues) {
    scripted = {0};
    scriptedNext = 0;
    auto game = std::make_unique<Game>();
    game->resetLevel(&scriptedRand);
    const Game& g = *game;
    const PrototypeKind kinds[] = {PrototypeKind::tree, PrototypeKind::wall,
                                   PrototypeKind::tallWall, PrototypeKind::wood,
                                   PrototypeKind::floorWood};
    const float pivots[] = {0.5f, 1.0f, 1.0f, 1.0f, 1.0f};
    for (int k = 0; k < 5; ++k) {
        const SceneObject& p = g.getPrototype(kinds[k]);
        expectAt(p.position, 0, 0, 0, "prototype", k);
        EXPECT_EQ(p.getPivot().x, pivots[k]);
        EXPECT_EQ(p.getPivot().y, pivots[k]);
        EXPECT_EQ(p.getCollider(), &g.getCollider());
        EXPECT_EQ(p.camera, &g.getWorldCamera());
    }
    EXPECT_EQ(g.getPrototype(PrototypeKind::wall).getTexture(),
              g.getPrototype(PrototypeKind::tallWall).getTexture());
    EXPECT_EQ(g.getPrototype(PrototypeKind::wood).getTexture(),
              g.getPrototype(PrototypeKind::floorWood).getTexture());
    EXPECT_NE(g.getPrototype(PrototypeKind::tree).getTexture(),
              g.getPrototype(PrototypeKind::wall).getTexture());

    // The game's level comes from the values it was given.
    scripted = {7, 3, 12, 29, 5};
    scriptedNext = 0;
    game->resetLevel(&scriptedRand);
    Level level;
    scriptedNext = 0;
    level.layOut(&scriptedRand);
    for (int i = 0; i < Level::treeCount; ++i) {
        const Vector3& p = level.getTreePositions()[i];
        expectAt(g.getLevel().getTreePositions()[i], p.x, p.y, p.z, "tree", i);
    }

    expectAt(g.getPlayer().position, 0, 0, -2, "player", 0);
    EXPECT_EQ(g.getPlayer().getScaling().x, 2.55f);
    EXPECT_EQ(g.getPlayer().getScaling().y, 7.0f);
    expectAt(g.getFollower().position, 0, 0, -1, "follower", 0);
    EXPECT_EQ(g.getFollower().getScaling().x, 0.5f);
    EXPECT_EQ(g.getFollower().getCollider(), &g.getCollider());
    EXPECT_EQ(g.getBackground().position.y, 50.0f);
    EXPECT_EQ(g.getElapsed(), 0.0f);
    EXPECT_EQ(g.getScore(), 0.0f);
    EXPECT_EQ(g.getMultiplier(), 3.0f);
}

// The fixed sequence is the same in every build (the page's picture is compared with the
// native one's), and a restart lays out the same yard again.
TEST(Level, TheFixedSequenceIsTheSameEverywhereAndRestarts) {
    Level::restartFixedRandom();
    const int first[] = {Level::fixedRandom(), Level::fixedRandom(), Level::fixedRandom()};
    EXPECT_EQ(first[0], 21468);
    EXPECT_EQ(first[1], 9988);
    EXPECT_EQ(first[2], 22117);
    Level::restartFixedRandom();
    Level a;
    a.layOut(&Level::fixedRandom);
    Level::restartFixedRandom();
    Level b;
    b.layOut(&Level::fixedRandom);
    for (int i = 0; i < Level::treeCount; ++i) {
        expectAt(b.getTreePositions()[i], a.getTreePositions()[i].x, a.getTreePositions()[i].y,
                 a.getTreePositions()[i].z, "tree", i);
    }
}

TEST(Level, TheEnvironmentAsksForTheFixedYard) {
    Level::restartFixedRandom();
    Level fixedYard;
    fixedYard.layOut(&Level::fixedRandom);
    // Each reset starts the sequence again: the second yard is the first one.
    setenv("VOLK_FIXED_LEVEL", "1", 1);
    auto game = std::make_unique<Game>();
    for (int run = 0; run < 2; ++run) {
        game->resetLevel();
        for (int i = 0; i < Level::treeCount; ++i) {
            const Vector3& want = fixedYard.getTreePositions()[i];
            expectAt(game->getLevel().getTreePositions()[i], want.x, want.y, want.z, "tree", i);
        }
    }
    unsetenv("VOLK_FIXED_LEVEL");
}
