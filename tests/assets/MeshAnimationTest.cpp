// Keyframe animations: storage order and the poses update gives for any index and time.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "assets/Mesh.h"
#include "support/ScratchDir.h"

namespace {

// One keyframe of a two-vertex mesh whose every component is base + the component's position
// (positions base..base+5, uvs base+10.., colours base+20..), so each keyframe is recognisable.
std::string keyframe(float time, float base) {
    auto n = [base](int offset) { return std::to_string(base + static_cast<float>(offset)); };
    return R"({"startTime":)" + std::to_string(time) + R"(, "vertices":[{"x":)" + n(0) +
           R"(,"y":)" + n(1) + R"(,"z":)" + n(2) + R"(},{"z":)" + n(5) + R"(,"x":)" + n(3) +
           R"(,"y":)" + n(4) + R"(}], "uvs":[{"u":)" + n(10) + R"(,"v":)" + n(11) + R"(},{"u":)" +
           n(12) + R"(,"v":)" + n(13) + R"(}], "colors":[{"r":)" + n(20) + R"(,"g":)" + n(21) +
           R"(,"b":)" + n(22) + R"(},{"r":)" + n(23) + R"(,"g":)" + n(24) + R"(,"b":)" + n(25) +
           R"(}]})";
}

std::vector<float> expected(float base, int first, int count) {
    std::vector<float> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(base + static_cast<float>(first + i));
    }
    return values;
}

const char* const twoVertexModel =
    R"("model": {"vertices": [{"x":0,"y":0,"z":0},{"x":0,"y":0,"z":0}],
                 "uvs": [{"u":0,"v":0},{"u":0,"v":0}],
                 "colors": [{"r":0,"g":0,"b":0},{"r":0,"g":0,"b":0}],
                 "indices": [{"a":0,"b":1,"c":1}]})";

// Animation 0 ("walk"): keyframes at 0, 1 and 3 with bases 0, 100, 300.
// Animation 1 ("idle"): one keyframe at 0 with base 1000.
// Animation 2 ("wave"): keyframes at 0 and 2 with bases 2000, 2200; extra members ignored.
std::string animatedDocument() {
    return std::string("{") + twoVertexModel + R"(, "animations": {
        "walk": [[)" +
           keyframe(0, 0) + "," + keyframe(1, 100) + "," + keyframe(3, 300) +
           R"(]],
        "idle": {"keys": [)" +
           keyframe(0, 1000) + R"(]},
        "wave": [[)" +
           keyframe(0, 2000) + "," + keyframe(2, 2200) + R"(], "ignored", [1]]
    }})";
}

class AnimatedMesh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mesh.load(files.write("animated.json", animatedDocument())));
        animation = mesh.getAnimation();
        ASSERT_NE(animation, nullptr);
    }

    void expectPose(float base) {
        EXPECT_EQ(animation->getCurrentVertices(), expected(base, 0, 6)) << base;
        EXPECT_EQ(animation->getCurrentUvs(), expected(base, 10, 4)) << base;
        EXPECT_EQ(animation->getCurrentColors(), expected(base, 20, 6)) << base;
    }

    ScratchDir files;
    Mesh mesh;
    MeshAnimation* animation = nullptr;
};

}  // namespace

TEST_F(AnimatedMesh, KeyframesAreStoredGloballyInDocumentOrder) {
    EXPECT_EQ(animation->getAnimationCount(), 3);
    EXPECT_EQ(animation->getKeyCount(), 6);
    EXPECT_EQ(animation->getVertexCount(), 2);
    EXPECT_EQ(animation->getFirstKey(), (std::vector<int>{0, 3, 4}));
    EXPECT_EQ(animation->getKeyTimes(), (std::vector<float>{0, 1, 3, 0, 0, 2}));
    // Global keyframe 4 is animation 2's first (base 2000), uvs at 2V per keyframe.
    EXPECT_EQ(std::vector<float>(animation->getKeyVertices().begin() + 24,
                                 animation->getKeyVertices().begin() + 30),
              expected(2000, 0, 6));
    EXPECT_EQ(std::vector<float>(animation->getKeyUvs().begin() + 16,
                                 animation->getKeyUvs().begin() + 20),
              expected(2000, 10, 4));
    EXPECT_EQ(
        std::vector<float>(animation->getKeyColors().begin() + 30, animation->getKeyColors().end()),
        expected(2200, 20, 6));
}

TEST_F(AnimatedMesh, TimesAtOrBeforeZeroGiveTheFirstKeyframe) {
    for (float time : {0.0f, -0.0f, -5.0f, -std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN()}) {
        animation->update(0, 2.0f);
        animation->update(0, time);
        expectPose(0);
    }
}

TEST_F(AnimatedMesh, TimesFromTheLastStartOnGiveTheLastKeyframe) {
    for (float time : {3.0f, 3.5f, 1e30f, std::numeric_limits<float>::infinity()}) {
        animation->update(0, time);
        expectPose(300);
    }
    // The earlier animation's last keyframe is the one before the next animation's first.
    animation->update(2, 2.0f);
    expectPose(2200);
}

TEST_F(AnimatedMesh, InnerKeyframeTimeGivesThatKeyframe) {
    animation->update(0, 1.0f);
    expectPose(100);
}

TEST_F(AnimatedMesh, HalfwayGivesTheMidpointOfEveryComponent) {
    animation->update(0, 0.5f);
    expectPose(50);
    animation->update(0, 2.0f);  // between 1 (base 100) and 3 (base 300)
    expectPose(200);
    animation->update(2, 1.0f);
    expectPose(2100);
    animation->update(0, 0.25f);
    expectPose(25);
}

TEST_F(AnimatedMesh, SingleKeyframeAnimationHoldsAtEveryTime) {
    for (float time : {-1.0f, 0.0f, 0.5f, 100.0f}) {
        animation->update(1, time);
        expectPose(1000);
    }
}

TEST_F(AnimatedMesh, IndexPastTheAnimationsKeepsThePose) {
    animation->update(0, 0.5f);
    for (unsigned index : {3u, 4u, 65535u, 4294967295u}) {
        animation->update(index, 1.0f);
        expectPose(50);
    }
}

TEST(MeshAnimation, FreshAnimationHasNoAnimations) {
    MeshAnimation animation;
    animation.update(0, 1.0f);
    EXPECT_EQ(animation.getAnimationCount(), 0);
    EXPECT_TRUE(animation.getCurrentVertices().empty());
}
