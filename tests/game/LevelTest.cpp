// Tests of the level layout: every array entry, the doors, and the random trees' rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "game/Game.h"

namespace {

// A scripted source of rand() values for the random trees.
std::vector<int> scripted;
std::size_t scriptedNext = 0;
int scriptedRand() { return scripted[scriptedNext++ % scripted.size()]; }

void expectAt(const Vector3& p, float x, float y, float z, const char* what, int i) {
    EXPECT_EQ(p.x, x) << what << " " << i;
    EXPECT_EQ(p.y, y) << what << " " << i;
    EXPECT_EQ(p.z, z) << what << " " << i;
}

bool isRemoved(const Vector3& p) { return p.x == -1000.0f && p.y == -1000.0f && p.z == -1000.0f; }

std::unique_ptr<Game> laidOut() {
    scripted = {0};
    scriptedNext = 0;
    auto game = std::make_unique<Game>();
    game->resetLevel(&scriptedRand);
    return game;
}

}  // namespace

TEST(Level, FixedTreesAndScriptedRandomTrees) {
    scripted = {37, 5,  11, 13, 7,  0, 39, 13, 8, 7, 9,  3,  12, 6,    // left: x, y
                8,  13, 10, 1,  12, 2, 19, 9,  0, 4, 33, 22, 47, 100,  // right: x, y
                9,  27, 31, 14};
    scriptedNext = 0;
    auto game = std::make_unique<Game>();
    game->resetLevel(&scriptedRand);
    EXPECT_EQ(scriptedNext, 32u);  // two values per random tree, no more
    const auto& trees = game->getTreePositions();
    for (int i = 0; i < 7; ++i) {
        expectAt(trees[i], 3.0f, -4.0f * (i + 1), 0.0f, "tree", i);
        expectAt(trees[i + 7], 11.0f, -4.0f * (i + 1), 0.0f, "tree", i + 7);
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
    auto game = std::make_unique<Game>();
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::srand(seed);
        game->resetLevel(&std::rand);
        const auto& trees = game->getTreePositions();
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
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(first->getTreePositions()[i].x, second->getTreePositions()[i].x) << i;
            EXPECT_EQ(first->getTreePositions()[i].y, second->getTreePositions()[i].y) << i;
        }
        return;
    }
}

TEST(Level, ShortWalls) {
    const auto game = laidOut();
    const auto& w = game->getWallPositions();
    for (int i = 0; i <= 16; ++i) {
        const float x = -16.0f + 2.0f * i;
        expectAt(w[i], x, -30.0f, (x >= 0.0f && x <= 12.0f) ? 4.0f : 0.0f, "wall", i);
    }
    for (int i = 17; i <= 33; ++i) expectAt(w[i], -16.0f + 2 * (i - 17), 30.0f, 0.0f, "wall", i);
    for (int i = 34; i <= 50; ++i) expectAt(w[i], -30.0f, -16.0f + 2 * (i - 34), 0.0f, "wall", i);
    for (int i = 51; i <= 67; ++i) expectAt(w[i], 30.0f, -16.0f + 2 * (i - 51), 0.0f, "wall", i);
    const float inner[13][3] = {{6, 0, 4},    {0, 0, 6},     {12, 0, 6},   {0, 12, 6},
                                {12, 12, 6},  {0, -30, 2},   {0, -30, 0},  {12, -30, 2},
                                {12, -30, 0}, {-18, -24, 4}, {18, -24, 4}, {24, 18, 4},
                                {-24, 18, 4}};
    for (int k = 0; k < 13; ++k) {
        expectAt(w[68 + k], inner[k][0], inner[k][1], inner[k][2], "wall", 68 + k);
    }
    const float caps[16][2] = {{-30, -30}, {30, -30}, {-30, 30},  {30, 30},  {-18, -30}, {18, -30},
                               {-18, 30},  {18, 30},  {-18, -18}, {18, -18}, {-18, 18},  {18, 18},
                               {-30, -18}, {30, -18}, {-30, 18},  {30, 18}};
    for (int k = 0; k < 16; ++k) expectAt(w[81 + k], caps[k][0], caps[k][1], 6.0f, "wall", 81 + k);
    // The eight doors, two short walls each, in the order the tall walls meet them.
    const float doors[8][2] = {{-24, -30}, {-30, -24}, {24, -30}, {30, -24},
                               {24, 30},   {30, 22},   {-24, 30}, {-30, 22}};
    for (int k = 0; k < 8; ++k) {
        expectAt(w[97 + 2 * k], doors[k][0], doors[k][1], 0.0f, "door", 97 + 2 * k);
        expectAt(w[98 + 2 * k], doors[k][0], doors[k][1], 4.0f, "door", 98 + 2 * k);
    }
}

TEST(Level, TallWallsWithDoorsAndGaps) {
    const auto game = laidOut();
    const auto& t = game->getTallWallPositions();
    // Each group: first, last, and the position as a function of the entry number i.
    struct Group {
        int first, last;
        float (*x)(int);
        float (*y)(int);
    };
    const Group groups[] = {
        {0, 6, [](int) { return 0.0f; }, [](int i) { return 2.0f * i; }},
        {7, 8, [](int i) { return 2.0f * (i - 6); }, [](int) { return 0.0f; }},
        {9, 11, [](int i) { return 2.0f * (i - 5); }, [](int) { return 0.0f; }},
        {12, 17, [](int) { return 12.0f; }, [](int i) { return 2.0f * i - 22; }},
        {18, 22, [](int i) { return 2.0f * (i - 17); }, [](int) { return 12.0f; }},
        {23, 29, [](int i) { return 2.0f * (i - 38); }, [](int) { return -30.0f; }},
        {30, 35, [](int) { return -30.0f; }, [](int i) { return 2.0f * (i - 44); }},
        {36, 41, [](int i) { return 2.0f * (i - 50); }, [](int) { return -18.0f; }},
        {42, 46, [](int) { return -18.0f; }, [](int i) { return 2.0f * i - 112; }},
        {47, 53, [](int i) { return 2.0f * (i - 38); }, [](int) { return -30.0f; }},
        {54, 59, [](int) { return 30.0f; }, [](int i) { return 2.0f * (i - 68); }},
        {60, 65, [](int i) { return 2.0f * (i - 51); }, [](int) { return -18.0f; }},
        {66, 70, [](int) { return 18.0f; }, [](int i) { return 2.0f * i - 160; }},
        {71, 77, [](int i) { return 2.0f * (i - 62); }, [](int) { return 30.0f; }},
        {78, 83, [](int) { return 30.0f; }, [](int i) { return 2.0f * (i - 69); }},
        {84, 89, [](int i) { return 2.0f * i - 150; }, [](int) { return 18.0f; }},
        {90, 94, [](int) { return 18.0f; }, [](int i) { return 2.0f * i - 160; }},
        {95, 101, [](int i) { return 2.0f * (i - 110); }, [](int) { return 30.0f; }},
        {102, 107, [](int) { return -30.0f; }, [](int i) { return 2.0f * (i - 93); }},
        {108, 113, [](int i) { return 2.0f * i - 244; }, [](int) { return 18.0f; }},
        {114, 118, [](int) { return -18.0f; }, [](int i) { return 2.0f * i - 208; }},
    };
    const std::set<int> left = {26, 32, 50, 56, 74, 80, 98, 104, 44, 68, 87, 110};
    int covered = 0;
    int removed = 0;
    for (const Group& g : groups) {
        for (int i = g.first; i <= g.last; ++i, ++covered) {
            if (left.count(i) != 0) {
                EXPECT_TRUE(isRemoved(t[i])) << i;
            } else {
                expectAt(t[i], g.x(i), g.y(i), 0.0f, "tall wall", i);
            }
            removed += isRemoved(t[i]) ? 1 : 0;
        }
    }
    EXPECT_EQ(covered, 119);
    EXPECT_EQ(removed, 12);
    // The house is closed but for its opening at (6, 0), where a short wall stands.
    expectAt(t[9], 8.0f, 0.0f, 0.0f, "tall wall", 9);
    expectAt(t[8], 4.0f, 0.0f, 0.0f, "tall wall", 8);
}

TEST(Level, WoodBlocksFloorsPrototypesAndLevelValues) {
    const auto game = laidOut();
    const auto& wood = game->getWoodPositions();
    const auto& floor = game->getFloorWoodPositions();
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) {
            const float expected[5][2] = {{2.0f * a + 2, 2.0f * b + 2},
                                          {2.0f * (a - 14), 2.0f * (b - 14)},
                                          {2.0f * (a - 14), 2.0f * (b + 10)},
                                          {2.0f * (a + 10), 2.0f * (b - 14)},
                                          {2.0f * (a + 10), 2.0f * (b + 10)}};
            for (int block = 0; block < 5; ++block) {
                const int i = 25 * block + 5 * a + b;
                expectAt(wood[i], expected[block][0], expected[block][1], 0.0f, "wood", i);
                expectAt(floor[i], expected[block][0], expected[block][1], 0.0f, "floor", i);
            }
        }
    }
    const float steps[4][2] = {{6, 0}, {6, -2}, {4, -2}, {8, -2}};
    for (int k = 0; k < 4; ++k)
        expectAt(floor[125 + k], steps[k][0], steps[k][1], 0, "floor", 125 + k);
    const float rooms[16][2] = {{-18, -24}, {18, -24}, {24, 18},   {-24, 18}, {-16, -24}, {16, -24},
                                {24, 16},   {-24, 16}, {-16, -22}, {16, -22}, {22, 16},   {-22, 16},
                                {-16, -26}, {16, -26}, {26, 16},   {-26, 16}};
    for (int k = 0; k < 16; ++k)
        expectAt(floor[129 + k], rooms[k][0], rooms[k][1], 0, "floor", 129 + k);

    Game& g = *game;
    SceneObject* prototypes[] = {&g.getTreeObject(), &g.getWallObject(), &g.getTallWallObject(),
                                 &g.getWoodObject(), &g.getFloorWoodObject()};
    const float pivots[] = {0.5f, 1.0f, 1.0f, 1.0f, 1.0f};
    for (int k = 0; k < 5; ++k) {
        expectAt(prototypes[k]->position, 0, 0, 0, "prototype", k);
        EXPECT_EQ(prototypes[k]->getPivot().x, pivots[k]);
        EXPECT_EQ(prototypes[k]->getPivot().y, pivots[k]);
        EXPECT_EQ(prototypes[k]->getCollider(), &g.getCollider());
        EXPECT_EQ(prototypes[k]->camera, &g.getWorldCamera());
    }
    EXPECT_EQ(g.getWallObject().getTexture(), g.getTallWallObject().getTexture());
    EXPECT_EQ(g.getWoodObject().getTexture(), g.getFloorWoodObject().getTexture());
    EXPECT_NE(g.getTreeObject().getTexture(), g.getWallObject().getTexture());

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
