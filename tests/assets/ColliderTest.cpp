// Collider documents: parallel arrays, segment end points and the path rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/Collider.h"
#include "support/CapturedStream.h"
#include "support/ScratchDir.h"

namespace {

// Vertex, segment and circle counts, compared as one list so a failure shows all three.
void expectCounts(const Collider& collider, int vertices, int segments, int circles) {
    EXPECT_EQ((std::vector<int>{collider.getVertexCount(), collider.getSegmentCount(),
                                collider.getCircleCount()}),
              (std::vector<int>{vertices, segments, circles}));
}

}  // namespace

TEST(Collider, ReadsPointsSegmentsAndCircles) {
    ScratchDir files;
    Collider collider;
    ASSERT_TRUE(collider.load(files.write("c.json", R"({"title": "yard", "collider": {
        "circles": {"big": {"radius": 4, "y": 2, "x": 1, "colour": "red"}, "small": {"x": -1, "y": -2, "radius": 0.5}},
        "indices": [{"b": 2, "a": 0}, {"a": 1, "b": 2, "weight": 3}],
        "vertices": [{"y": 10, "x": 0}, {"x": 1, "y": 11}, {"x": 2.5, "y": 12, "z": 7}]
    }})")));
    expectCounts(collider, 3, 2, 2);
    EXPECT_EQ(collider.getCircleX(0), 1.0f);
    EXPECT_EQ(collider.getCircleY(0), 2.0f);
    EXPECT_EQ(collider.getCircleRadius(0), 4.0f);
    EXPECT_EQ(collider.getCircleX(1), -1.0f);
    EXPECT_EQ(collider.getCircleRadius(1), 0.5f);
    float x1, y1, x2, y2;
    collider.segment(0, x1, y1, x2, y2);  // "a" first, whatever the member order
    EXPECT_EQ((std::vector<float>{x1, y1, x2, y2}), (std::vector<float>{0, 10, 2.5f, 12}));
    collider.segment(1, x1, y1, x2, y2);
    EXPECT_EQ((std::vector<float>{x1, y1, x2, y2}), (std::vector<float>{1, 11, 2.5f, 12}));
}

TEST(Collider, FractionalSegmentIndicesAreTruncatedTowardZero) {
    ScratchDir files;
    Collider collider;
    CapturedStream err(2);
    // As the mesh reader reads its indices: 1.999 names point 1 and -0.5 names point 0.
    ASSERT_TRUE(collider.load(files.write("c.json", R"({"collider": {
        "vertices": [{"x": 0, "y": 10}, {"x": 1, "y": 11}, {"x": 2, "y": 12}],
        "indices": [{"a": 1.999, "b": -0.5}, {"a": 2.5e0, "b": 1e0}],
        "circles": []
    }})")));
    EXPECT_EQ(err.finish(), "");
    EXPECT_EQ(collider.getSegments(), (std::vector<int>{1, 0, 2, 1}));
    float x1, y1, x2, y2;
    collider.segment(0, x1, y1, x2, y2);
    EXPECT_EQ((std::vector<float>{x1, y1, x2, y2}), (std::vector<float>{1, 11, 0, 10}));
}

TEST(Collider, DocumentsWithoutShapesGiveZeroCounts) {
    ScratchDir files;
    for (const char* text : {R"({"other": {"collider": 1}})",
                             R"({"collider": {"vertices": [], "indices": {}, "circles": 7}})"}) {
        CapturedStream err(2);
        Collider collider;
        EXPECT_TRUE(collider.load(files.write("c.json", text))) << text;
        EXPECT_EQ(err.finish(), "");
        expectCounts(collider, 0, 0, 0);
    }
}

TEST(Collider, PathsWithoutJsonChangeNothing) {
    ScratchDir files;
    Collider collider;
    ASSERT_TRUE(collider.load("data/meshes/colliders/quadCollider.json"));
    EXPECT_EQ(collider.getSegmentCount(), 4);
    CapturedStream err(2);
    // Neither a missing file nor a name whose only ".json" starts it is read.
    EXPECT_TRUE(collider.load(files.path("collider.bin")));
    EXPECT_TRUE(collider.load(".json"));
    EXPECT_EQ(err.finish(), "");
    expectCounts(collider, 4, 4, 1);
}

TEST(Collider, NamesWithAnEscapedNulAreOtherNames) {
    ScratchDir files;
    Collider collider;
    // "radius\u0000" and "x\u0000" come first: taken for "radius" and "x" they would win.
    ASSERT_TRUE(collider.load(files.write("c.json", R"({"collider": {
        "vertices": [{"x\u0000": 9, "x": 1, "y": 2}],
        "indices": [{"a\u0000": 5, "a": 0, "b": 0}],
        "circles": [{"radius\u0000": 9, "x": 0, "y\u0000y": 9, "y": 0, "radius": 3}]
    }})")));
    EXPECT_EQ(collider.getCircleRadius(0), 3.0f);
    EXPECT_EQ(collider.getCircleY(0), 0.0f);
    float x1, y1, x2, y2;
    collider.segment(0, x1, y1, x2, y2);
    EXPECT_EQ(x1, 1.0f);

    CapturedStream err(2);
    const std::string path = files.write("d.json", R"({"collider": {"vertices": [], "indices": [],
                      "circles": [{"x": 0, "y": 0, "radius\u0000": 1}]}})");
    EXPECT_FALSE(collider.load(path));
    EXPECT_EQ(err.finish(), path + ": \"circles\" entry 0 has no \"radius\"\n");
}

TEST(Collider, ParsesTextInMemoryWithoutPaddingAndNamesItsProblems) {
    const std::string document =
        R"({"collider": {"vertices": [{"x": 0, "y": 1}, {"x": 2, "y": 3}],
            "indices": [{"a": 0, "b": 1}], "circles": {}}})";
    // Exactly the document's bytes and nothing after them: the parser may not read past them
    // (AddressSanitizer would see it).
    const std::vector<char> bytes(document.begin(), document.end());
    Collider collider;
    ASSERT_TRUE(collider.parse(bytes.data(), bytes.size(), "memory.json"));
    expectCounts(collider, 2, 1, 0);

    const std::string broken = R"({"collider": {"vertices": [}})";
    CapturedStream err(2);
    EXPECT_FALSE(collider.parse(broken.data(), broken.size(), "memory.json"));
    const std::string said = err.finish();
    EXPECT_EQ(said.rfind("memory.json: ", 0), 0u) << said;
    expectCounts(collider, 0, 0, 0);
}
