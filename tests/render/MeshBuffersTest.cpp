// Tests of the renderer's buffer store and of Mesh upload, release and draw on real GL.
#include <gtest/gtest.h>

#include <string>

#include "app/Renderer.h"
#include "assets/Mesh.h"
#include "render/ShaderProgram.h"
#include "support/CapturedStream.h"
#include "support/GlContext.h"
#include "support/GlQueries.h"
#include "support/ScratchDir.h"
#include "support/TestImages.h"
#include "support/TestShaders.h"

namespace {

// Quad of side 1 at the origin, four vertices, two counter-clockwise triangles.
void addQuad(Mesh& mesh, float r, float g, float b) {
    const float corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const auto& c : corners) {
        mesh.addVertex(c[0], c[1], 0.0f);
        mesh.addColor(r, g, b);
        mesh.addUv(c[0], c[1]);
    }
    mesh.addTriangle(0, 1, 2);
    mesh.addTriangle(2, 1, 3);
    mesh.updateCounts();
}

const ShaderVariable uniforms[] = {{"mvMat", 0, 16}, {"projMat", 0, 16}};

GLint sizeOfSetBuffer(const Mesh& mesh, std::size_t i) {
    return GlQueries::bufferSize(renderer.getBufferSet(mesh.getBufferSet())->ids.at(i));
}

// Maps the unit square onto the whole viewport: x' = 2x - 1, y' = 2y - 1.
Matrix4 unitSquareToClip() {
    Matrix4 m;
    setIdentity(m);
    m[0] = 2.0f;
    m[5] = 2.0f;
    m[12] = -1.0f;
    m[13] = -1.0f;
    return m;
}

}  // namespace

TEST(MeshBuffers, HandlesFollowTheTablesAndAreNeverReused) {
    GlContext::get();
    const int firstSet = static_cast<int>(renderer.getBufferSetCount());
    const int firstBuffer = static_cast<int>(renderer.getBufferCount());
    Mesh a;
    Mesh b;
    Mesh neverUploaded;
    addQuad(a, 1, 0, 0);
    addQuad(b, 0, 1, 0);
    addQuad(neverUploaded, 0, 0, 1);
    a.upload();
    b.upload();
    EXPECT_EQ(a.getBufferSet(), firstSet);
    EXPECT_EQ(b.getBufferSet(), firstSet + 1);
    EXPECT_EQ(a.getIndexBuffer(), firstBuffer);
    EXPECT_EQ(b.getIndexBuffer(), firstBuffer + 1);

    // 12 position floats: 48, 32 and 48 bytes; 6 indices: 12 bytes.
    EXPECT_EQ(sizeOfSetBuffer(a, 0), 48);
    EXPECT_EQ(sizeOfSetBuffer(a, 1), 32);
    EXPECT_EQ(sizeOfSetBuffer(a, 2), 48);
    EXPECT_EQ(GlQueries::bufferSize(renderer.getBuffer(a.getIndexBuffer())), 12);
    EXPECT_EQ(GlQueries::bufferFloats(renderer.getBufferSet(a.getBufferSet())->ids[1]),
              (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 1}));

    const GLuint aIndexName = renderer.getBuffer(a.getIndexBuffer());
    const std::vector<GLuint> aSetNames = renderer.getBufferSet(a.getBufferSet())->ids;
    a.release();
    EXPECT_FALSE(a.isUploaded());
    EXPECT_FALSE(GlQueries::isBuffer(aIndexName));
    for (GLuint name : aSetNames) {
        EXPECT_FALSE(GlQueries::isBuffer(name));
    }
    a.release();  // twice: nothing more to delete
    neverUploaded.release();
    EXPECT_TRUE(GlQueries::isBuffer(renderer.getBuffer(b.getIndexBuffer())));
    EXPECT_EQ(sizeOfSetBuffer(b, 2), 48);

    // Entries stay in the tables: the next mesh gets the next handles.
    Mesh c;
    addQuad(c, 1, 1, 1);
    c.upload();
    EXPECT_EQ(c.getBufferSet(), firstSet + 2);
    EXPECT_EQ(c.getIndexBuffer(), firstBuffer + 2);
    EXPECT_EQ(renderer.getBufferSetCount(), static_cast<std::size_t>(firstSet + 3));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(MeshBuffers, UploadNeverReadsPastTheArrays) {
    GlContext::get();
    Mesh mesh;
    for (int v = 0; v < 4; ++v) {
        mesh.addVertex(static_cast<float>(v), 0.0f, 0.0f);
    }
    mesh.addUv(0.5f, 0.25f);  // one vertex's uvs out of four
    mesh.addColor(1.0f, 2.0f, 3.0f);
    mesh.addTriangle(0, 1, 2);
    // Counts that claim more than the arrays hold.
    mesh.setCounts(30, 30, 9, 20);
    mesh.upload();
    // Four vertices really there: buffers for four, uvs and colours padded with zeros.
    EXPECT_EQ(sizeOfSetBuffer(mesh, 0), 48);
    EXPECT_EQ(GlQueries::bufferFloats(renderer.getBufferSet(mesh.getBufferSet())->ids[1]),
              (std::vector<float>{0.5f, 0.25f, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sizeOfSetBuffer(mesh, 2), 48);
    EXPECT_EQ(GlQueries::bufferSize(renderer.getBuffer(mesh.getIndexBuffer())), 6);
}

TEST(MeshBuffers, DrawsThroughTheCurrentProgram) {
    GlContext& gl = GlContext::get();
    gl.useFramebuffer(32, 32);
    ScratchDir dir;
    writeFile(dir.path("flat.vert"), std::string(TestShaders::vertex));
    writeFile(dir.path("flat.frag"), std::string(TestShaders::fragment));
    ShaderProgram program;
    ASSERT_TRUE(program.load(dir.path("flat")));
    program.setVariables(uniforms, 2);
    ASSERT_TRUE(program.compileAndLink());

    Mesh quad;
    addQuad(quad, 1.0f, 0.0f, 0.0f);
    quad.upload();
    Matrix4 identity;
    setIdentity(identity);

    // No current program: nothing is drawn.
    ShaderProgram::clearCurrent();
    renderer.clear();
    quad.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(16, 16), 0xffffffffu);

    program.use();
    program.setUniformMatrix4("projMat", identity);
    renderer.clear();
    quad.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(1, 1), 0xff0000ffu);
    EXPECT_EQ(gl.pixel(30, 30), 0xff0000ffu);

    // Only the first triangle (lower-left half) when the count says 3 indices.
    quad.setCounts(12, 12, 3, 8);
    renderer.clear();
    quad.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(4, 4), 0xff0000ffu);
    EXPECT_EQ(gl.pixel(28, 28), 0xffffffffu);

    // A program whose vertex stage failed to compile links with its fragment stage alone;
    // it draws nothing, and leaves no GL error behind.
    {
        writeFile(dir.path("broken.vert"), "#version 130\nvoid main() {");
        writeFile(dir.path("broken.frag"), std::string(TestShaders::fragment));
        ShaderProgram broken;
        ASSERT_TRUE(broken.load(dir.path("broken")));
        broken.setVariables(uniforms, 2);
        CapturedStream out(1);
        const bool linked = broken.compileAndLink();
        const std::string said = out.finish();
        EXPECT_FALSE(linked);
        EXPECT_NE(said.find("Could not compile vertexShader"), std::string::npos) << said;
        broken.use();
        renderer.clear();
        quad.draw(unitSquareToClip());
        EXPECT_EQ(gl.pixel(16, 16), 0xffffffffu);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    program.use();

    // The model-view matrix moves the quad: shifted right by half its size.
    Matrix4 shifted = unitSquareToClip();
    shifted[12] = 0.0f;
    quad.setCounts(12, 12, 6, 8);
    renderer.clear();
    quad.draw(shifted);
    EXPECT_EQ(gl.pixel(8, 16), 0xffffffffu);
    EXPECT_EQ(gl.pixel(24, 16), 0xff0000ffu);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The flat test program with its inputs declared in the reverse of the table's order, so a
// linker left to itself would be free to put inNormal at location 0.
const char* const reversedVertex = R"(#version 130
in vec3 inNormal;
in vec2 inTexCoord;
in vec3 inVertex;
uniform mat4 mvMat;
uniform mat4 projMat;
out vec3 colour;
void main() {
    colour = inNormal + vec3(inTexCoord * 0.001, 0.0);
    gl_Position = projMat * mvMat * vec4(inVertex, 1.0);
}
)";

TEST(MeshBuffers, MeshesKeepTheirBuffersWhateverIsUploadedOrUsedBetweenDraws) {
    GlContext& gl = GlContext::get();
    gl.useFramebuffer(32, 32);
    ScratchDir dir;
    writeFile(dir.path("reversed.vert"), std::string(reversedVertex));
    writeFile(dir.path("reversed.frag"), std::string(TestShaders::fragment));
    writeFile(dir.path("flat.vert"), std::string(TestShaders::vertex));
    writeFile(dir.path("flat.frag"), std::string(TestShaders::fragment));
    ShaderProgram reversed;
    ShaderProgram flat;
    for (ShaderProgram* program : {&reversed, &flat}) {
        ASSERT_TRUE(program->load(dir.path(program == &flat ? "flat" : "reversed")));
        program->setVariables(uniforms, 2);
        ASSERT_TRUE(program->compileAndLink());
        // Row i at location i in every program, so one set of pointers serves them all.
        for (std::size_t i = 0; i < program->getAttributes().size(); ++i) {
            EXPECT_EQ(program->getAttributes()[i].location, static_cast<GLint>(i));
        }
    }
    Matrix4 identity;
    setIdentity(identity);

    Mesh red;
    addQuad(red, 1.0f, 0.0f, 0.0f);
    red.upload();
    reversed.use();
    reversed.setUniformMatrix4("projMat", identity);
    renderer.clear();
    red.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(4, 4), 0xff0000ffu);
    EXPECT_EQ(gl.pixel(28, 28), 0xff0000ffu);

    // A mesh uploaded after the red one was drawn (its index buffer holds the lower-left
    // triangle twice) must not land in the red one's state, nor may a program switch.
    Mesh half;
    addQuad(half, 0.0f, 0.0f, 1.0f);
    half.setCounts(12, 12, 3, 8);
    half.upload();
    flat.use();
    flat.setUniformMatrix4("projMat", identity);
    renderer.clear();
    red.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(4, 4), 0xff0000ffu);
    EXPECT_EQ(gl.pixel(28, 28), 0xff0000ffu);
    half.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(4, 4), 0x0000ffffu);
    EXPECT_EQ(gl.pixel(28, 28), 0xff0000ffu);

    // Released and uploaded again: new buffers, bound afresh.
    red.release();
    red.upload();
    renderer.clear();
    red.draw(unitSquareToClip());
    EXPECT_EQ(gl.pixel(28, 28), 0xff0000ffu);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ShaderProgram::clearCurrent();
}

TEST(MeshBuffers, AnimatedMeshAlsoGetsPoseBuffers) {
    GlContext::get();
    const std::string document = R"({"model": {
        "vertices": [{"x":1,"y":2,"z":3},{"x":4,"y":5,"z":6}],
        "uvs": [{"u":0.5,"v":0.25},{"u":0.75,"v":1}],
        "colors": [{"r":0.1,"g":0.2,"b":0.3},{"r":0.4,"g":0.5,"b":0.6}],
        "indices": [{"a":0,"b":1,"c":1}]},
      "animations": {"still": [[{"startTime":0,
        "vertices": [{"x":1,"y":2,"z":3},{"x":4,"y":5,"z":6}],
        "uvs": [{"u":0.5,"v":0.25},{"u":0.75,"v":1}],
        "colors": [{"r":0.1,"g":0.2,"b":0.3},{"r":0.4,"g":0.5,"b":0.6}]}]]}})";
    Mesh mesh;
    ASSERT_TRUE(mesh.parseJson(document.data(), document.size(), "animated.json"));
    ASSERT_NE(mesh.getAnimation(), nullptr);
    const int firstBuffer = static_cast<int>(renderer.getBufferCount());
    mesh.upload();

    // Index buffer first, then the pose buffers in vertex, colour, uv order.
    EXPECT_EQ(mesh.getIndexBuffer(), firstBuffer);
    EXPECT_EQ(mesh.getPoseVertexBuffer(), firstBuffer + 1);
    EXPECT_EQ(mesh.getPoseColorBuffer(), firstBuffer + 2);
    EXPECT_EQ(mesh.getPoseUvBuffer(), firstBuffer + 3);
    EXPECT_EQ(GlQueries::bufferFloats(renderer.getBuffer(mesh.getPoseVertexBuffer())),
              (std::vector<float>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(GlQueries::bufferFloats(renderer.getBuffer(mesh.getPoseColorBuffer())),
              mesh.getColors());
    EXPECT_EQ(GlQueries::bufferFloats(renderer.getBuffer(mesh.getPoseUvBuffer())),
              (std::vector<float>{0.5f, 0.25f, 0.75f, 1.0f}));

    const GLuint poseName = renderer.getBuffer(mesh.getPoseUvBuffer());
    mesh.release();
    EXPECT_FALSE(GlQueries::isBuffer(poseName));
    EXPECT_EQ(renderer.getBuffer(firstBuffer + 3), 0u);
}
