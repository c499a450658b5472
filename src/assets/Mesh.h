// Mesh: a triangle mesh's CPU arrays and readers (assets/) and its GPU buffers (render/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/MeshAnimation.h"
#include "math/Matrix4.h"

// Per-vertex attributes live in three separate arrays (no interleaving, no normals):
// vertices 3 floats, colors 3 floats, uvs 2 floats per vertex; indices are 16-bit, three per
// triangle. The counts say how much of each array the GPU side uploads and draws.
class Mesh {
public:
    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Reads a mesh document when path contains ".json" at position 1 or later, else a binary
    // mesh file. On any problem: one line on standard error naming the file and the problem,
    // the mesh left empty (zero counts, no animation), and false. A bad "animations" member
    // costs only the animation: its line is written, the geometry kept, and load returns true.
    // The binary reader prints "des anims!" or "pas d'anim" after each mesh it reads.
    bool load(const std::string& path);
    bool loadJson(const std::string& path);
    bool loadBinary(const std::string& path);
    // The same readers on bytes already in memory; name stands for the file in the lines on
    // standard error. The binary reader still prints its marker line.
    bool parseJson(const char* text, std::size_t size, const std::string& name);
    bool parseBinary(const std::uint8_t* bytes, std::size_t size, const std::string& name);

    // Editing, used by text labels; none of these changes the counts.
    void addVertex(float x, float y, float z);
    void addColor(float r, float g, float b);
    void addTriangle(std::uint16_t a, std::uint16_t b, std::uint16_t c);
    void addUv(float u, float v);
    void setUv(std::size_t i, float u, float v);
    void updateCounts();
    void setCounts(int vertexFloats, int colorFloats, int indexTotal, int uvFloats);
    // Empties every array, zeroes the counts and drops the animation (CPU side only).
    void clear();

    // GPU side. upload never lets GL read past the arrays; release of a mesh that was never
    // uploaded deletes nothing; draw with no current program draws nothing. A draw binds the
    // mesh only when another mesh was bound (Renderer::bindMesh).
    void upload();
    void release();
    void draw(const Matrix4& modelView);
    bool isUploaded() const { return bufferSet >= 0; }

    const std::vector<float>& getVertices() const { return vertices; }
    const std::vector<float>& getColors() const { return colors; }
    const std::vector<std::uint16_t>& getIndices() const { return indices; }
    const std::vector<float>& getUvs() const { return uvs; }
    int getVertexFloatCount() const { return vertexFloatCount; }
    int getColorFloatCount() const { return colorFloatCount; }
    int getIndexCount() const { return indexCount; }
    int getUvFloatCount() const { return uvFloatCount; }
    MeshAnimation* getAnimation() const { return animation.get(); }
    int getBufferSet() const { return bufferSet; }
    int getIndexBuffer() const { return indexBuffer; }
    int getPoseVertexBuffer() const { return poseVertexBuffer; }
    int getPoseColorBuffer() const { return poseColorBuffer; }
    int getPoseUvBuffer() const { return poseUvBuffer; }
    unsigned getVertexArray() const { return vertexArray; }

private:
    // padded: text is followed by AssetFile::padding readable bytes, so the parser needs no
    // copy of it.
    bool readJson(const char* text, std::size_t size, bool padded, const std::string& name);
    bool readDocument(const char* text, std::size_t size, bool padded, const std::string& name);

    std::vector<float> vertices;
    std::vector<float> colors;
    std::vector<std::uint16_t> indices;
    std::vector<float> uvs;
    int vertexFloatCount = 0;
    int colorFloatCount = 0;
    int indexCount = 0;
    int uvFloatCount = 0;

    // Handles into the renderer's buffer store; -1 until upload.
    int bufferSet = -1;
    int indexBuffer = -1;
    int poseVertexBuffer = -1;
    int poseColorBuffer = -1;
    int poseUvBuffer = -1;
    // The GL vertex array object recording the buffer set's pointers and the index buffer;
    // 0 where the context has none (the mesh is then drawn from its buffers).
    unsigned vertexArray = 0;

    std::unique_ptr<MeshAnimation> animation;  // null unless the document had "animations"
};
