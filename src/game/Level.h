// Level: the yard's instance positions (trees, walls, wood) and the rules that lay them out.
#pragma once

#include <array>

#include "math/Vector3.h"

class Level {
public:
    // Supplies the level's random values, one per call, like rand().
    using RandomSource = int (*)();

    static constexpr int treeCount = 30;
    static constexpr int wallCount = 113;
    static constexpr int tallWallCount = 119;
    static constexpr int woodCount = 125;
    static constexpr int floorWoodCount = 145;

    // A fixed sequence of values in 0..32767 (a linear congruential generator from a fixed
    // start), the same on every system: C libraries' rand() differ (emscripten's is not
    // glibc's), so pictures of a level laid out with this one can be compared across builds.
    static int fixedRandom();
    // Starts the fixed sequence again from its first value.
    static void restartFixedRandom();

    // Writes every entry of every array; the random trees take two values of next each, in
    // order (x, then y). No GL involved.
    void layOut(RandomSource next);

    // Entries (-1000, -1000, -1000) are removed instances (doors and gaps in the tall walls).
    const std::array<Vector3, treeCount>& getTreePositions() const { return treePositions; }
    const std::array<Vector3, wallCount>& getWallPositions() const { return wallPositions; }
    const std::array<Vector3, tallWallCount>& getTallWallPositions() const {
        return tallWallPositions;
    }
    const std::array<Vector3, woodCount>& getWoodPositions() const { return woodPositions; }
    const std::array<Vector3, floorWoodCount>& getFloorWoodPositions() const {
        return floorWoodPositions;
    }

private:
    void layOutTrees(RandomSource next);
    void layOutWalls();
    void layOutWood();

    std::array<Vector3, treeCount> treePositions{};
    std::array<Vector3, wallCount> wallPositions{};
    std::array<Vector3, tallWallCount> tallWallPositions{};
    std::array<Vector3, woodCount> woodPositions{};
    std::array<Vector3, floorWoodCount> floorWoodPositions{};
};
