// MeshAnimation: whole-mesh keyframes of one mesh and the pose between two of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class JsonList;

// Every keyframe of every animation in flat arrays, numbered globally: animation 0's
// keyframes first, in document order, then animation 1's, and so on. Keyframe j of
// animation a is global keyframe firstKey[a] + j; global keyframe k holds keyVertices and
// keyColors elements 3Vk to 3V(k + 1) - 1 and keyUvs elements 2Vk to 2V(k + 1) - 1
// (components x y z, r g b, u v). Times are in seconds, the unit update is given.
class MeshAnimation {
public:
    MeshAnimation() = default;

    // Fills every member from a mesh document's "animations" value. On a problem (no
    // animations, an animation without keyframes, keyframes of different sizes, a missing or
    // unusable member, a first start time other than 0, descending start times) returns false,
    // says why in problem and leaves the object empty. Does not know the mesh: the caller
    // compares getVertexCount() with it.
    bool load(const JsonList& animations, std::string& problem);

    // Pose of animation animationIndex at time: the first keyframe at or before 0 (and for a
    // time that is not a number), the last keyframe from its start time on (no looping), the
    // linear blend of the two keyframes around time otherwise. An index past the animations
    // leaves the pose as it was. Allocates nothing.
    void update(unsigned animationIndex, float time);

    // The current pose: 3V, 3V and 2V floats; zeros until the first update with a valid index.
    const std::vector<float>& getCurrentVertices() const { return currentVertices; }
    const std::vector<float>& getCurrentColors() const { return currentColors; }
    const std::vector<float>& getCurrentUvs() const { return currentUvs; }

    const std::vector<float>& getKeyVertices() const { return keyVertices; }
    const std::vector<float>& getKeyColors() const { return keyColors; }
    const std::vector<float>& getKeyUvs() const { return keyUvs; }
    int getKeyCount() const { return keyCount; }
    const std::vector<float>& getKeyTimes() const { return keyTimes; }
    const std::vector<int>& getFirstKey() const { return firstKey; }
    std::uint16_t getAnimationCount() const { return animationCount; }
    int getVertexCount() const { return vertexCount; }

private:
    void clear();
    bool measure(const JsonList& animations, std::string& problem);
    bool readKeyframes(const JsonList& animations, std::string& problem);
    void copyKey(std::size_t key);

    std::vector<float> keyVertices;
    std::vector<float> keyColors;
    std::vector<float> keyUvs;
    int keyCount = 0;
    std::vector<float> keyTimes;  // seconds, one per keyframe
    std::vector<int> firstKey;    // one per animation
    std::uint16_t animationCount = 0;
    int vertexCount = 0;
    std::vector<float> currentVertices;
    std::vector<float> currentColors;
    std::vector<float> currentUvs;
};
