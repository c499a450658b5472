// Bad mesh, animation and collider files: one line on standard error each, an empty object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BinaryWriter.h"
#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "support/CapturedStream.h"
#include "support/ScratchDir.h"

namespace {

struct BadFile {
    const char* what;
    std::string name;  // file name in the temporary directory; empty: the file is not written
    std::string bytes;
    std::string line;  // expected standard-error line after "<path>: "
};

std::string model(const std::string& vertices, const std::string& uvs, const std::string& colors,
                  const std::string& indices) {
    return R"({"model": {"vertices": )" + vertices + R"(, "uvs": )" + uvs + R"(, "colors": )" +
           colors + R"(, "indices": )" + indices + "}}";
}

const std::string oneVertex = R"([{"x":1,"y":2,"z":3}])";
const std::string oneUv = R"([{"u":1,"v":2}])";
const std::string oneColor = R"([{"r":1,"g":2,"b":3}])";
const std::string oneTriangle = R"([{"a":0,"b":0,"c":0}])";

// One vertex, uv and colour with the given index list.
std::string oneVertexWith(const std::string& indices) {
    return model(oneVertex, oneUv, oneColor, indices);
}

// A one-entry list "[{...}]" made n entries long.
std::string times(const std::string& list, int n) {
    const std::string entry = list.substr(1, list.size() - 2);
    std::string out = "[" + entry;
    for (int i = 1; i < n; ++i) {
        out += "," + entry;
    }
    return out + "]";
}

std::string withAnimations(const std::string& animations) {
    return R"({"animations": )" + animations + "," + oneVertexWith(oneTriangle).substr(1);
}

std::string key(const std::string& time, const std::string& vertices = oneVertex) {
    return R"({"startTime":)" + time + R"(,"vertices":)" + vertices + R"(,"uvs":)" + oneUv +
           R"(,"colors":)" + oneColor + "}";
}

void expectEmpty(const Mesh& mesh) {
    EXPECT_TRUE(mesh.getVertices().empty());
    EXPECT_TRUE(mesh.getColors().empty());
    EXPECT_TRUE(mesh.getUvs().empty());
    EXPECT_TRUE(mesh.getIndices().empty());
    EXPECT_EQ(mesh.getVertexFloatCount(), 0);
    EXPECT_EQ(mesh.getColorFloatCount(), 0);
    EXPECT_EQ(mesh.getUvFloatCount(), 0);
    EXPECT_EQ(mesh.getIndexCount(), 0);
    EXPECT_EQ(mesh.getAnimation(), nullptr);
}

// Loads into a mesh that already holds data, so "left empty" is visible.
void checkMeshFile(const BadFile& bad, bool loads) {
    ScratchDir files;
    std::string path = files.path("missing.json");
    if (!bad.name.empty() && bad.name.back() == '/') {
        path = files.makeDirectory(bad.name);
    } else if (!bad.name.empty()) {
        path = files.write(bad.name, bad.bytes);
    }
    Mesh mesh;
    mesh.addVertex(1, 1, 1);
    mesh.updateCounts();
    CapturedStream out(1);
    CapturedStream err(2);
    const bool result = mesh.load(path);
    const std::string errors = err.finish();
    out.finish();
    EXPECT_EQ(errors, path + ": " + bad.line + "\n") << bad.what;
    EXPECT_EQ(result, loads) << bad.what;
    if (!loads) {
        expectEmpty(mesh);
    } else {
        EXPECT_EQ(mesh.getVertexFloatCount(), 3) << bad.what;
        EXPECT_EQ(mesh.getAnimation(), nullptr) << bad.what;
    }
}

}  // namespace

TEST(BadAssets, MeshDocumentsGiveOneLineAndAnEmptyMesh) {
    const std::vector<BadFile> cases = {
        {"no file", "", "", "cannot open: No such file or directory"},
        {"empty", "m.json", "", "the file is empty"},
        {"truncated", "m.json", oneVertexWith(oneTriangle).substr(0, 40),
         "not valid JSON: The JSON document has an improper structure: missing or superfluous "
         "commas, braces, missing keys, etc."},
        {"not UTF-8", "m.json", "{\"na\xff\": 1}", "not valid JSON: The input is not valid UTF-8"},
        {"array at the top", "m.json", "[1, 2]", "the top level is not an object"},
        {"no model", "m.json", R"({"models": {}})", "there is no \"model\""},
        {"model not an object", "m.json", R"({"model": []})", "\"model\" is not an object"},
        {"missing list", "m.json", R"({"model": {"vertices": [], "uvs": [], "colors": []}})",
         "\"model\" has no \"indices\""},
        {"entry not an object", "m.json", model("[[1,2,3]]", oneUv, oneColor, "[]"),
         "\"vertices\" entry 0 is not an object"},
        {"missing entry member", "m.json",
         model(oneVertex, oneUv, R"([{"r":1,"b":3}])", oneTriangle),
         "\"colors\" entry 0 has no \"g\""},
        {"string for a number", "m.json",
         model(oneVertex, R"([{"u":"1","v":2}])", oneColor, oneTriangle),
         "\"uvs\" entry 0: \"u\" is not a number finite as a 32-bit float"},
        {"too large for a float", "m.json",
         model(R"([{"x":1,"y":1e39,"z":3}])", oneUv, oneColor, oneTriangle),
         "\"vertices\" entry 0: \"y\" is not a number finite as a 32-bit float (too large)"},
        {"fractional index past the vertices once truncated", "m.json",
         oneVertexWith(R"([{"a":0,"b":1.5,"c":0}])"), "index 1 is past the 1 vertices"},
        {"index past 2^64", "m.json", oneVertexWith(R"([{"a":0,"b":0,"c":18446744073709551615}])"),
         "\"indices\" entry 0: \"c\" is not an integer (too large)"},
        {"index of 1e300", "m.json", oneVertexWith(R"([{"a":1e300,"b":0,"c":0}])"),
         "\"indices\" entry 0: \"a\" is not an integer (too large)"},
        {"fewer uvs than vertices", "m.json",
         model(R"([{"x":1,"y":2,"z":3},{"x":1,"y":2,"z":3}])", oneUv,
               R"([{"r":1,"g":2,"b":3},{"r":1,"g":2,"b":3}])", oneTriangle),
         "\"uvs\" has 1 entries but \"vertices\" has 2"},
        {"fewer colors than vertices", "m.json", model(oneVertex, oneUv, "[]", oneTriangle),
         "\"colors\" has 0 entries but \"vertices\" has 1"},
        {"index past the vertices", "m.json", oneVertexWith(R"([{"a":0,"b":0,"c":1}])"),
         "index 1 is past the 1 vertices"},
        {"index past the vertices after the modulo", "m.json",
         oneVertexWith(R"([{"a":65537,"b":0,"c":0}])"),
         "index 65537 is past the 1 vertices (stored modulo 65536 as 1)"},
        {"negative index", "m.json",
         model(times(oneVertex, 4), times(oneUv, 4), times(oneColor, 4),
               R"([{"a":0,"b":-1,"c":2}])"),
         "index -1 is past the 4 vertices (stored modulo 65536 as 65535)"},
        {"directory", "dir.json/", "", "not a regular file (a directory)"},
    };
    for (const BadFile& bad : cases) {
        checkMeshFile(bad, false);
    }
}

TEST(BadAssets, BinaryMeshesGiveOneLineAndAllocateNothing) {
    const std::vector<BadFile> cases = {
        {"empty", "m.bin", "", "the file ends inside the header (0 bytes)"},
        {"short header", "m.bin", "abcdef", "the file ends inside the header (6 bytes)"},
        {"negative vertices", "m.bin", BinaryWriter().i32(-1).i32(0).get(),
         "negative count: -1 vertices, 0 triangles"},
        {"negative triangles", "m.bin", BinaryWriter().i32(0).i32(-2147483647 - 1).get(),
         "negative count: 0 vertices, -2147483648 triangles"},
        {"2^31 - 1 vertices", "m.bin", BinaryWriter().i32(2147483647).i32(0).get(),
         "the file ends inside the positions block: 2147483647 vertices and 0 triangles need "
         "68719476712 bytes, the file has 8"},
        {"ends inside the uvs", "m.bin",
         BinaryWriter().i32(1).i32(1).f32(0).f32(0).f32(0).f32(0).f32(0).f32(0).f32(0).get(),
         "the file ends inside the texture coordinates block: 1 vertices and 1 triangles need "
         "46 bytes, the file has 36"},
        {"ends inside the indices", "m.bin",
         BinaryWriter().i32(0).i32(2).u16(0).u16(0).u16(0).u16(0).get(),
         "the file ends inside the indices block: 0 vertices and 2 triangles need 20 bytes, "
         "the file has 16"},
        {"index past the vertices", "m.bin",
         BinaryWriter().i32(0).i32(1).u16(0).u16(0).u16(0).get(), "index 0 is past the 0 vertices"},
    };
    for (const BadFile& bad : cases) {
        checkMeshFile(bad, false);
    }
}

TEST(BadAssets, BadAnimationsAreDroppedAndTheGeometryKept) {
    const std::vector<BadFile> cases = {
        {"zero animations", "m.json", withAnimations("[]"),
         "animation dropped: there are no animations"},
        {"animations not a list", "m.json", withAnimations("12"),
         "animation dropped: there are no animations"},
        {"no keyframes", "m.json", withAnimations("[[[" + key("0") + "]], [[]]]"),
         "animation dropped: animation 1 has no keyframes"},
        {"empty animation", "m.json", withAnimations("[{}]"),
         "animation dropped: animation 0 has no keyframes"},
        {"keyframe not an object", "m.json", withAnimations("[[[" + key("0") + ", 5]]]"),
         "animation dropped: animation 0 keyframe 1 is not an object"},
        {"missing keyframe member", "m.json",
         withAnimations(R"([[[{"startTime":0,"vertices":[],"uvs":[]}]]])"),
         "animation dropped: animation 0 keyframe 0 has no \"colors\""},
        {"keyframe sizes differ", "m.json",
         withAnimations("[[[" + key("0") + "," + key("1", "[]") + "]]]"),
         "animation dropped: animation 0 keyframe 1 has 0 \"vertices\", 1 \"uvs\" and 1 "
         "\"colors\" entries where the first keyframe has 1 of each"},
        {"keyframes not the mesh's size", "m.json",
         withAnimations(R"([[[{"startTime":0,"vertices":[],"uvs":[],"colors":[]}]]])"),
         "animation dropped: its keyframes have 0 vertices but the mesh has 1"},
        {"first start time not 0", "m.json",
         withAnimations("[[[" + key("0") + "]], [[" + key("0.5") + "]]]"),
         "animation dropped: animation 1 starts at 0.5, not 0"},
        {"descending start times", "m.json",
         withAnimations("[[[" + key("0") + "," + key("2") + "," + key("1.5") + "]]]"),
         "animation dropped: animation 0 keyframe 2 starts at 1.5, before the keyframe ahead "
         "of it at 2"},
        {"start time not a number", "m.json", withAnimations("[[[" + key("null") + "]]]"),
         "animation dropped: animation 0 keyframe 0: \"startTime\" is not a number finite as a "
         "32-bit float"},
        {"keyframe entry member missing", "m.json",
         withAnimations(R"([[[{"startTime":0,"vertices":[{"x":1,"y":2}],"uvs":)" + oneUv +
                        R"(,"colors":)" + oneColor + "}]]]"),
         "animation dropped: animation 0 keyframe 0: \"vertices\" entry 0 has no \"z\""},
    };
    for (const BadFile& bad : cases) {
        checkMeshFile(bad, true);
    }
}

TEST(BadAssets, CollidersGiveOneLineAndAnEmptyCollider) {
    const std::string list = R"([{"x":0,"y":0},{"x":1,"y":1}])";
    const std::vector<BadFile> cases = {
        {"no file", "", "", "cannot open: No such file or directory"},
        {"malformed", "c.json", R"({"collider": {)",
         "not valid JSON: The JSON document has an improper structure: missing or superfluous "
         "commas, braces, missing keys, etc."},
        {"string at the top", "c.json", R"("collider")", "the top level is not an object"},
        {"collider not an object", "c.json", R"({"collider": 3})", "\"collider\" is not an object"},
        {"missing list", "c.json", R"({"collider": {"vertices": [], "indices": []}})",
         "\"collider\" has no \"circles\""},
        {"circle missing radius", "c.json",
         R"({"collider": {"vertices": [], "indices": [], "circles": [{"x":1,"y":1}]}})",
         "\"circles\" entry 0 has no \"radius\""},
        {"point index outside", "c.json",
         R"({"collider": {"vertices": )" + list +
             R"(, "indices": [{"a":0,"b":1},{"a":1,"b":2}], "circles": []}})",
         "\"indices\" entry 1: point index 2 is outside the 2 points"},
        {"negative point index", "c.json",
         R"({"collider": {"vertices": )" + list +
             R"(, "indices": [{"a":-1,"b":1}], "circles": []}})",
         "\"indices\" entry 0: point index -1 is outside the 2 points"},
        {"fractional point index outside once truncated", "c.json",
         R"({"collider": {"vertices": )" + list +
             R"(, "indices": [{"a":0,"b":2.5}], "circles": []}})",
         "\"indices\" entry 0: point index 2 is outside the 2 points"},
        {"point index past 64 bits", "c.json",
         R"({"collider": {"vertices": )" + list +
             R"(, "indices": [{"a":0,"b":1e19}], "circles": []}})",
         "\"indices\" entry 0: \"b\" is not an integer (too large)"},
        {"segment not an object", "c.json",
         R"({"collider": {"vertices": )" + list + R"(, "indices": [[0, 1]], "circles": []}})",
         "\"indices\" entry 0 is not an object"},
    };
    for (const BadFile& bad : cases) {
        ScratchDir files;
        const std::string path =
            bad.name.empty() ? files.path("missing.json") : files.write(bad.name, bad.bytes);
        Collider collider;
        ASSERT_TRUE(collider.load("data/meshes/colliders/quadCollider.json"));
        CapturedStream err(2);
        EXPECT_FALSE(collider.load(path)) << bad.what;
        EXPECT_EQ(err.finish(), path + ": " + bad.line + "\n") << bad.what;
        EXPECT_EQ(collider.getVertexCount(), 0) << bad.what;
        EXPECT_EQ(collider.getSegmentCount(), 0) << bad.what;
        EXPECT_EQ(collider.getCircleCount(), 0) << bad.what;
        EXPECT_TRUE(collider.getSegments().empty()) << bad.what;
    }
}
