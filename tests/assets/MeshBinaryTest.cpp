// Binary mesh files: block layout, marker lines and empty meshes.
#include <gtest/gtest.h>

#include <vector>

#include "BinaryWriter.h"
#include "assets/Mesh.h"
#include "support/CapturedStream.h"
#include "support/ScratchDir.h"

namespace {

// Two vertices, one triangle; blocks in file order positions, colours, uvs, indices.
BinaryWriter twoVertexMesh() {
    BinaryWriter out;
    out.i32(2).i32(1);
    for (float f : {1.0f, 2.0f, 3.0f, -4.0f, 5.5f, 6.0f}) out.f32(f);
    for (float f : {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}) out.f32(f);
    for (float f : {7.0f, 8.0f, 9.0f, 10.0f}) out.f32(f);
    out.u16(1).u16(0).u16(1);
    return out;
}

void expectTwoVertexMesh(const Mesh& mesh) {
    EXPECT_EQ(mesh.getVertices(), (std::vector<float>{1, 2, 3, -4, 5.5f, 6}));
    EXPECT_EQ(mesh.getColors(), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}));
    EXPECT_EQ(mesh.getUvs(), (std::vector<float>{7, 8, 9, 10}));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{1, 0, 1}));
    EXPECT_EQ(mesh.getVertexFloatCount(), 6);
    EXPECT_EQ(mesh.getColorFloatCount(), 6);
    EXPECT_EQ(mesh.getUvFloatCount(), 4);
    EXPECT_EQ(mesh.getIndexCount(), 3);
    EXPECT_EQ(mesh.getAnimation(), nullptr);
}

}  // namespace

TEST(MeshBinary, ReadsBlocksInFileOrderAndPrintsTheMarkerLine) {
    ScratchDir files;
    struct Case {
        std::string tail;
        const char* line;
    };
    for (const Case& c : {Case{"", "pas d'anim\n"}, Case{"x", "pas d'anim\n"},
                          Case{"an", "des anims!\n"}, Case{"anything", "des anims!\n"}}) {
        const std::string path = files.write("mesh.bin", twoVertexMesh().get() + c.tail);
        CapturedStream out(1);
        CapturedStream err(2);
        Mesh mesh;
        EXPECT_TRUE(mesh.load(path));
        EXPECT_EQ(out.finish(), c.line) << c.tail;
        EXPECT_EQ(err.finish(), "");
        expectTwoVertexMesh(mesh);
    }
}

TEST(MeshBinary, ZeroCountsGiveAnEmptyMesh) {
    ScratchDir files;
    CapturedStream out(1);
    Mesh mesh;
    mesh.addVertex(1, 1, 1);
    EXPECT_TRUE(mesh.load(files.write("empty", BinaryWriter().i32(0).i32(0).get())));
    EXPECT_EQ(out.finish(), "pas d'anim\n");
    EXPECT_TRUE(mesh.getVertices().empty());
    EXPECT_TRUE(mesh.getIndices().empty());
    EXPECT_EQ(mesh.getVertexFloatCount(), 0);
    EXPECT_EQ(mesh.getIndexCount(), 0);
}

TEST(MeshBinary, MemoryReaderMatchesTheFileReader) {
    const std::string bytes = twoVertexMesh().get();
    CapturedStream out(1);
    Mesh mesh;
    EXPECT_TRUE(mesh.parseBinary(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                 "memory"));
    EXPECT_EQ(out.finish(), "pas d'anim\n");
    expectTwoVertexMesh(mesh);
}
