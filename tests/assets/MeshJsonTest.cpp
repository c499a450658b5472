// Mesh documents: lists, member order, ignored members, indices, counts and file routing.
#include <gtest/gtest.h>

#include <vector>

#include "assets/AssetFile.h"
#include "assets/Mesh.h"
#include "support/CapturedStream.h"
#include "support/ScratchDir.h"

namespace {

// A two-triangle square written the plain way.
const char* const squareDocument = R"({
  "model": {
    "vertices": [{"x":0,"y":0,"z":0},{"x":1,"y":0,"z":0},{"x":1,"y":1,"z":0},{"x":0,"y":1,"z":0.5}],
    "uvs": [{"u":0,"v":0},{"u":1,"v":0},{"u":1,"v":1},{"u":0,"v":1}],
    "colors": [{"r":1,"g":0,"b":0},{"r":0,"g":1,"b":0},{"r":0,"g":0,"b":1},{"r":0.25,"g":0.5,"b":0.75}],
    "indices": [{"a":0,"b":1,"c":2},{"a":0,"b":2,"c":3}]
  }
})";

bool loadText(Mesh& mesh, const ScratchDir& files, const std::string& text,
              const std::string& name = "mesh.json") {
    return mesh.load(files.write(name, text));
}

// The counts the GPU side is given: floats of each list and indices.
void expectCounts(const Mesh& mesh, int vertexFloats, int uvFloats, int colorFloats, int indices) {
    EXPECT_EQ(mesh.getVertexFloatCount(), vertexFloats);
    EXPECT_EQ(mesh.getUvFloatCount(), uvFloats);
    EXPECT_EQ(mesh.getColorFloatCount(), colorFloats);
    EXPECT_EQ(mesh.getIndexCount(), indices);
}

}  // namespace

TEST(MeshJson, ReadsEveryListInEntryOrder) {
    ScratchDir files;
    Mesh mesh;
    ASSERT_TRUE(loadText(mesh, files, squareDocument));
    EXPECT_EQ(mesh.getVertices(), (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.5f}));
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(mesh.getColors(),
              (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1, 0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    expectCounts(mesh, 12, 8, 12, 6);
    EXPECT_EQ(mesh.getAnimation(), nullptr);
}

TEST(MeshJson, ListsMayBeObjectsTakenInDocumentOrder) {
    ScratchDir files;
    Mesh mesh;
    // Names are dropped, repeated names kept, and document order wins over name order.
    ASSERT_TRUE(loadText(mesh, files, R"({"model": {
      "indices": {"t": {"c":2,"b":1,"a":0}},
      "colors": {"z": {"b":3,"g":2,"r":1}, "a": {"g":5,"r":4,"b":6}, "a": {"r":7,"g":8,"b":9}},
      "vertices": {"9": {"z":3,"y":2,"x":1}, "1": {"x":4,"y":5,"z":6}, "9": {"y":8,"x":7,"z":9}},
      "uvs": [{"v":2,"u":1},{"u":3,"v":4},{"u":5,"v":6}]
    }})"));
    EXPECT_EQ(mesh.getVertices(), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(mesh.getColors(), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 1, 2}));
}

// A repeated name inside an entry: the first one counts.
TEST(MeshJson, OtherMembersAreIgnoredAtEveryLevel) {
    ScratchDir files;
    Mesh mesh;
    ASSERT_TRUE(loadText(mesh, files, R"({"name": "square", "Model": 5, "model": {
      "normals": [1, 2, 3],
      "vertices": [{"x":1,"y":2,"z":3,"w":4,"X":9,"x":5}],
      "uvs": [{"u":0.5,"v":0.25,"s":"x"}],
      "colors": [{"r":1,"g":1,"b":1,"a":{"deep":[1]}}],
      "indices": [{"a":0,"b":0,"c":0,"d":7}]
    }, "version": [1, 2]})"));
    EXPECT_EQ(mesh.getVertices(), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(mesh.getIndexCount(), 3);
}

TEST(MeshJson, ListValuesThatAreNotListsAreEmpty) {
    ScratchDir files;
    Mesh mesh;
    ASSERT_TRUE(
        loadText(mesh, files,
                 R"({"model": {"vertices": 3, "uvs": "no", "colors": null, "indices": true}})"));
    EXPECT_TRUE(mesh.getVertices().empty());
    expectCounts(mesh, 0, 0, 0, 0);
}

TEST(MeshJson, IndicesAreStoredModulo65536) {
    ScratchDir files;
    Mesh mesh;
    // 65,537 vertices so that 65,535 is a real vertex; vertices as an object list of
    // repeated names keeps the document short.
    std::string list = "{";
    for (int i = 0; i < 65537; ++i) {
        list += R"("v":{"x":0,"y":0,"z":0},)";
    }
    list.back() = '}';
    std::string uvList = "[";
    std::string colorList = "[";
    for (int i = 0; i < 65537; ++i) {
        uvList += R"({"u":0,"v":0},)";
        colorList += R"({"r":0,"g":0,"b":0},)";
    }
    uvList.back() = ']';
    colorList.back() = ']';
    ASSERT_TRUE(loadText(mesh, files,
                         R"({"model": {"vertices": )" + list + R"(, "uvs": )" + uvList +
                             R"(, "colors": )" + colorList +
                             R"(, "indices": [{"a":65536,"b":65535,"c":65537},
                                             {"a":-1,"b":131073,"c":2.0}]}})"));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 65535, 1, 65535, 1, 2}));
}

TEST(MeshJson, AByteOrderMarkBeforeTheDocumentIsSkipped) {
    ScratchDir files;
    Mesh mesh;
    CapturedStream err(2);
    ASSERT_TRUE(loadText(mesh, files, std::string("\xEF\xBB\xBF") + squareDocument));
    EXPECT_EQ(err.finish(), "");
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    // Only the mark: an empty document, said as such.
    const std::string path = files.write("bom.json", "\xEF\xBB\xBF");
    CapturedStream again(2);
    EXPECT_FALSE(mesh.load(path));
    EXPECT_EQ(again.finish(), path + ": the file is empty\n");
}

TEST(MeshJson, FractionalIndicesAreTruncatedTowardZero) {
    ScratchDir files;
    Mesh mesh;
    ASSERT_TRUE(loadText(mesh, files, R"({"model": {
      "vertices": [{"x":0,"y":0,"z":0},{"x":1,"y":0,"z":0},{"x":1,"y":1,"z":0}],
      "uvs": [{"u":0,"v":0},{"u":1,"v":0},{"u":1,"v":1}],
      "colors": [{"r":0,"g":0,"b":0},{"r":0,"g":0,"b":0},{"r":0,"g":0,"b":0}],
      "indices": [{"a":1.5,"b":2.999,"c":-0.5}, {"a":0.25,"b":1e0,"c":2.5e0}]
    }})"));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{1, 2, 0, 0, 1, 2}));
}

TEST(MeshJson, LongerUvAndColorListsAreReadWhole) {
    ScratchDir files;
    Mesh mesh;
    // One vertex, two uvs, three colours: the extra entries are kept and counted, and the
    // GPU side takes one entry of each per vertex.
    ASSERT_TRUE(loadText(mesh, files, R"({"model": {
      "vertices": [{"x":1,"y":2,"z":3}],
      "uvs": [{"u":0.5,"v":0.25},{"u":9,"v":9}],
      "colors": [{"r":1,"g":0,"b":0},{"r":9,"g":9,"b":9},{"r":8,"g":8,"b":8}],
      "indices": [{"a":0,"b":0,"c":0}]
    }})"));
    expectCounts(mesh, 3, 4, 9, 3);
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{0.5f, 0.25f, 9, 9}));
    EXPECT_EQ(mesh.getColors(), (std::vector<float>{1, 0, 0, 9, 9, 9, 8, 8, 8}));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 0, 0}));
}

TEST(MeshJson, AnimationsMayComeBeforeOrAfterTheModel) {
    ScratchDir files;
    const std::string model =
        R"("model": {"vertices": [{"x":1,"y":2,"z":3}], "uvs": [{"u":0,"v":1}],
                     "colors": [{"r":1,"g":1,"b":1}], "indices": []})";
    const std::string animations =
        R"("animations": [[[{"startTime":0, "vertices":[{"x":1,"y":2,"z":3}],
                             "uvs":[{"u":0,"v":1}], "colors":[{"r":1,"g":1,"b":1}]}]]])";
    for (const std::string& text :
         {"{" + animations + "," + model + "}", "{" + model + "," + animations + "}"}) {
        Mesh mesh;
        ASSERT_TRUE(loadText(mesh, files, text));
        EXPECT_EQ(mesh.getVertexFloatCount(), 3);
        ASSERT_NE(mesh.getAnimation(), nullptr);
        EXPECT_EQ(mesh.getAnimation()->getAnimationCount(), 1);
    }
}

TEST(MeshJson, PathChoosesTheReaderByJsonFromItsSecondCharacter) {
    EXPECT_TRUE(AssetFile::isJsonPath("data/quad.json"));
    EXPECT_TRUE(AssetFile::isJsonPath("data/meshes/display/tree.json"));
    EXPECT_TRUE(AssetFile::isJsonPath("a.json.bak"));
    EXPECT_FALSE(AssetFile::isJsonPath(".json"));
    EXPECT_FALSE(AssetFile::isJsonPath("data/car.mesh"));
    EXPECT_FALSE(AssetFile::isJsonPath("data/quad.JSON"));

    // A document under a name without ".json" goes to the binary reader, which rejects it.
    ScratchDir files;
    CapturedStream err(2);
    Mesh mesh;
    EXPECT_FALSE(mesh.load(files.write("mesh.bin", squareDocument)));
    const std::string errors = err.finish();
    EXPECT_NE(errors.find("mesh.bin: the file ends inside the positions block"), std::string::npos)
        << errors;
}

TEST(MeshJson, GameMeshesLoad) {
    for (const char* path :
         {"data/quad.json", "data/quadBackground.json", "data/meshes/display/tree.json",
          "data/meshes/display/wall.json", "data/meshes/display/tallWall.json",
          "data/meshes/display/wood.json", "data/meshes/display/floorWood.json"}) {
        CapturedStream err(2);
        Mesh mesh;
        EXPECT_TRUE(mesh.load(path)) << path;
        EXPECT_EQ(err.finish(), "") << path;
        EXPECT_GT(mesh.getIndexCount(), 0) << path;
        EXPECT_EQ(mesh.getVertexFloatCount() / 3, mesh.getUvFloatCount() / 2) << path;
    }
}

TEST(MeshJson, EditingLeavesCountsUntilAskedAndClearEmpties) {
    Mesh mesh;
    mesh.addVertex(1, 2, 3);
    mesh.addColor(4, 5, 6);
    mesh.addUv(7, 8);
    mesh.addTriangle(0, 0, 0);
    EXPECT_EQ(mesh.getVertexFloatCount(), 0);
    mesh.setUv(0, 9, 10);
    mesh.setUv(1, 11, 12);  // past the uvs: ignored
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{9, 10}));
    mesh.updateCounts();
    EXPECT_EQ(mesh.getVertexFloatCount(), 3);
    EXPECT_EQ(mesh.getIndexCount(), 3);
    mesh.setCounts(0, 3, 0, 2);
    EXPECT_EQ(mesh.getVertexFloatCount(), 0);
    EXPECT_EQ(mesh.getColorFloatCount(), 3);
    mesh.clear();
    EXPECT_TRUE(mesh.getColors().empty());
    EXPECT_EQ(mesh.getColorFloatCount(), 0);
}
