// Tests of ShaderProgram on real GL: messages, locations, attribute arrays and uniforms.
#include <gtest/gtest.h>

#include <string>

#include "app/GLFunctions.h"
#include "render/ShaderProgram.h"
#include "support/CapturedStream.h"
#include "support/Fifo.h"
#include "support/GlContext.h"
#include "support/GlQueries.h"
#include "support/ScratchDir.h"
#include "support/TestImages.h"
#include "support/TestShaders.h"

using namespace GLFunctions;

namespace {

const char* const vertexSource = TestShaders::vertex;
const char* const fragmentSource = TestShaders::fragment;

// The same program without inTexCoord: the linker has no such attribute.
const char* const vertexWithoutUvs = R"(#version 130
in vec3 inVertex;
in vec3 inNormal;
uniform mat4 mvMat;
uniform mat4 projMat;
out vec3 colour;
void main() {
    colour = inNormal;
    gl_Position = projMat * mvMat * vec4(inVertex, 1.0);
}
)";

const ShaderVariable terrainUniforms[] = {
    {"finalMatrix", 0, 16}, {"mvMat", 0, 16},     {"projMat", 0, 16},
    {"pos", 0, 2},          {"terrainRay", 0, 1},
};

const ShaderVariable basicUniforms[] = {{"mvMat", 0, 16}, {"projMat", 0, 16}};

std::string writePair(const ScratchDir& dir, const std::string& name, const char* vertex,
                      const char* fragment) {
    if (vertex != nullptr) {
        writeFile(dir.path(name + ".vert"), std::string(vertex));
    }
    if (fragment != nullptr) {
        writeFile(dir.path(name + ".frag"), std::string(fragment));
    }
    return dir.path(name);
}

struct Output {
    std::string out;
    std::string err;
    bool loaded = false;
    bool linked = false;
};

// load, setVariables and compileAndLink with both streams captured.
Output build(ShaderProgram& program, const std::string& base, const ShaderVariable* uniforms,
             unsigned count) {
    Output result;
    CapturedStream out(1);
    CapturedStream err(2);
    result.loaded = program.load(base);
    program.setVariables(uniforms, count);
    result.linked = program.compileAndLink();
    result.err = err.finish();
    result.out = out.finish();
    return result;
}

// build with the basic uniforms, for a vertex source beside the usual fragment shader.
Output buildVertex(ShaderProgram& program, const ScratchDir& dir, const std::string& name,
                   const char* vertex) {
    return build(program, writePair(dir, name, vertex, fragmentSource), basicUniforms, 2);
}

}  // namespace

TEST(ShaderProgram, UseResolvesLocationsAndEnablesAttributeArrays) {
    GlContext::get();
    ScratchDir dir;
    ShaderProgram program;
    const Output built =
        build(program, writePair(dir, "terrain", vertexSource, fragmentSource), terrainUniforms, 5);
    EXPECT_TRUE(built.loaded);
    EXPECT_TRUE(built.linked);
    EXPECT_EQ(built.out, "");
    EXPECT_EQ(built.err, "");

    const auto& attributes = program.getAttributes();
    ASSERT_EQ(attributes.size(), 3u);
    EXPECT_EQ(attributes[0].name, "inVertex");
    EXPECT_EQ(attributes[1].size, 2);
    EXPECT_EQ(attributes[2].name, "inNormal");

    program.use();
    EXPECT_EQ(ShaderProgram::current, &program);
    GLint inUse = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &inUse);
    const GLuint name = program.getHandles().program;
    EXPECT_EQ(static_cast<GLuint>(inUse), name);
    for (const ShaderVariable& row : attributes) {
        EXPECT_EQ(row.location, glGetAttribLocation(name, row.name.c_str())) << row.name;
        ASSERT_GE(row.location, 0) << row.name;
        EXPECT_TRUE(GlQueries::isAttribArrayEnabled(static_cast<GLuint>(row.location)));
    }
    // finalMatrix is declared but unused, so GL gives -1; so does a name not in the table.
    EXPECT_EQ(program.uniformLocation("finalMatrix"), -1);
    EXPECT_EQ(program.uniformLocation("mvMat"), glGetUniformLocation(name, "mvMat"));
    EXPECT_GE(program.uniformLocation("terrainRay"), 0);
    EXPECT_EQ(program.uniformLocation("nothing"), -1);
    EXPECT_EQ(program.uniformLocation("MVMAT"), -1);

    // Using it again while current re-enables its arrays and keeps the same locations.
    program.use();
    for (const ShaderVariable& row : attributes) {
        EXPECT_TRUE(GlQueries::isAttribArrayEnabled(static_cast<GLuint>(row.location)));
    }

    // Uniforms land untransposed, in the matrix's storage order.
    Matrix4 m;
    for (int i = 0; i < 16; ++i) {
        m[i] = static_cast<float>(i) + 0.5f;
    }
    program.setUniformMatrix4("projMat", m);
    program.setUniform1f("terrainRay", 42.25f);
    program.setUniform2f("pos", Vector2(-3.0f, 7.5f));
    EXPECT_EQ(GlQueries::uniformFloats(name, program.uniformLocation("projMat"), 16),
              std::vector<float>(m.m, m.m + 16));
    EXPECT_EQ(GlQueries::uniformFloats(name, program.uniformLocation("terrainRay"), 1),
              std::vector<float>{42.25f});
    EXPECT_EQ(GlQueries::uniformFloats(name, program.uniformLocation("pos"), 2),
              (std::vector<float>{-3.0f, 7.5f}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderProgram, SwitchingProgramsHandsOverTheAttributeArrays) {
    GlContext::get();
    ScratchDir dir;
    ShaderProgram full;
    ShaderProgram partial;
    buildVertex(full, dir, "full", vertexSource);
    const std::string partialBase = writePair(dir, "partial", vertexWithoutUvs, fragmentSource);
    const Output partialBuilt = build(partial, partialBase, basicUniforms, 2);
    // Linked, but the mesh's uvs have nowhere to go: said once, at link time.
    EXPECT_TRUE(partialBuilt.linked);
    EXPECT_EQ(partialBuilt.err,
              partialBase + ": the linked program has no active attribute \"inTexCoord\"\n");

    full.use();
    partial.use();
    EXPECT_EQ(ShaderProgram::current, &partial);
    EXPECT_EQ(partial.getAttributes()[1].location, -1);  // no inTexCoord in this program
    int enabled = 0;
    for (GLuint index = 0; index < 8; ++index) {
        enabled += GlQueries::isAttribArrayEnabled(index) ? 1 : 0;
    }
    EXPECT_EQ(enabled, 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderProgram, MissingFileCompileAndLinkFailuresArePrinted) {
    GlContext::get();
    ScratchDir dir;

    // No fragment file: the path on standard error, the compile failure on standard output.
    ShaderProgram noFragment;
    const std::string base = writePair(dir, "nofrag", vertexSource, nullptr);
    const Output missing = build(noFragment, base, basicUniforms, 2);
    EXPECT_FALSE(missing.loaded);
    EXPECT_FALSE(missing.linked);
    // One problem, one line: the game's words, then the reason.
    EXPECT_EQ(missing.err, "Could not load shader: " + base +
                               ".frag (cannot open: No such file or directory)\n");
    EXPECT_EQ(missing.out.rfind("Could not compile fragmentShader 35632:\n", 0), 0u) << missing.out;
    EXPECT_EQ(noFragment.getHandles().fragmentShader, 0u);
    EXPECT_NE(noFragment.getHandles().vertexShader, 0u);

    // A vertex shader that does not compile: its log after the header line, then the link.
    ShaderProgram broken;
    const Output syntax =
        buildVertex(broken, dir, "broken", "#version 130\nvoid main() { oops }\n");
    EXPECT_TRUE(syntax.loaded);
    EXPECT_FALSE(syntax.linked);
    EXPECT_EQ(syntax.out.rfind("Could not compile vertexShader 35633:\n", 0), 0u) << syntax.out;
    EXPECT_NE(syntax.out.find("error"), std::string::npos);
    EXPECT_EQ(broken.getHandles().vertexShader, 0u);

    // Both compile, but the vertex stage has no main().
    ShaderProgram unlinked;
    const Output link = buildVertex(unlinked, dir, "unlinked", "#version 130\nvoid helper() {}\n");
    EXPECT_TRUE(link.loaded);
    EXPECT_FALSE(link.linked);
    EXPECT_EQ(link.out, "programme non linke\n");
    EXPECT_EQ(link.err, "");
}

TEST(ShaderProgram, DestroyedCurrentProgramIsNoLongerCurrent) {
    GlContext::get();
    ScratchDir dir;
    const std::string base = writePair(dir, "p", vertexSource, fragmentSource);
    {
        ShaderProgram temporary;
        build(temporary, base, basicUniforms, 2);
        temporary.use();
        EXPECT_EQ(ShaderProgram::current, &temporary);
    }
    EXPECT_EQ(ShaderProgram::current, nullptr);
    GLint inUse = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &inUse);
    EXPECT_EQ(inUse, 0);

    ShaderProgram next;
    build(next, base, basicUniforms, 2);
    next.use();  // must not touch the destroyed program's table
    EXPECT_EQ(ShaderProgram::current, &next);
}

TEST(ShaderProgram, SettersForAnUnknownNameChangeNoUniform) {
    GlContext::get();
    ScratchDir dir;
    ShaderProgram program;
    build(program, writePair(dir, "terrain", vertexSource, fragmentSource), terrainUniforms, 5);
    program.use();
    const GLuint name = program.getHandles().program;

    // Give every live uniform a known value, then write through names the table lacks, once
    // with each setter so that whatever type sits at location 0 would be hit.
    Matrix4 projection;
    Matrix4 modelView;
    for (int i = 0; i < 16; ++i) {
        projection[i] = static_cast<float>(i) + 0.25f;
        modelView[i] = static_cast<float>(i) - 0.75f;
    }
    program.setUniformMatrix4("projMat", projection);
    program.setUniformMatrix4("mvMat", modelView);
    program.setUniform1f("terrainRay", 42.25f);
    program.setUniform2f("pos", Vector2(-3.0f, 7.5f));
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    bool locationZeroUsed = false;
    for (const ShaderVariable& row : program.getUniforms()) {
        locationZeroUsed = locationZeroUsed || row.location == 0;
    }
    ASSERT_TRUE(locationZeroUsed) << "no table uniform at location 0: the test would prove nothing";

    Matrix4 zero;
    for (int i = 0; i < 16; ++i) {
        zero[i] = 0.0f;
    }
    program.setUniformMatrix4("projmat", zero);
    program.setUniform1f("terrainray", 0.0f);
    program.setUniform2f("position", Vector2(0.0f, 0.0f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(GlQueries::uniformFloats(name, glGetUniformLocation(name, "projMat"), 16),
              std::vector<float>(projection.m, projection.m + 16));
    EXPECT_EQ(GlQueries::uniformFloats(name, glGetUniformLocation(name, "mvMat"), 16),
              std::vector<float>(modelView.m, modelView.m + 16));
    EXPECT_EQ(GlQueries::uniformFloats(name, glGetUniformLocation(name, "terrainRay"), 1),
              std::vector<float>{42.25f});
    EXPECT_EQ(GlQueries::uniformFloats(name, glGetUniformLocation(name, "pos"), 2),
              (std::vector<float>{-3.0f, 7.5f}));
}

TEST(ShaderProgram, UnreadableSourcesNameTheFileAndTheReason) {
    GlContext::get();
    ScratchDir files;
    const std::string vertex(vertexSource);
    struct Case {
        const char* what;
        std::string base;
        std::string reason;  // in brackets after "Could not load shader: <base>.vert"
    };
    files.makeDirectory("dir.vert");
    files.makeSymlink("zero.vert", "/dev/zero");
    makeFifo(files, "fifo.vert");
    files.write("nul.vert", std::string(64, '\0'));
    files.write("late.vert", vertex + std::string(1, '\0') + "garbage");
    const std::vector<Case> cases = {
        {"directory", files.path("dir"), "not a regular file (a directory)"},
        {"endless device", files.path("zero"), "not a regular file (a character device)"},
        {"FIFO", files.path("fifo"), "not a regular file (a FIFO)"},
        {"only NUL bytes", files.path("nul"),
         "holds a NUL byte at offset 0; a shader source is text"},
        {"NUL after the source", files.path("late"),
         "holds a NUL byte at offset " + std::to_string(vertex.size()) +
             "; a shader source is text"},
    };
    for (const Case& c : cases) {
        files.write(c.base.substr(c.base.rfind('/') + 1) + ".frag", fragmentSource);
        ShaderProgram program;
        const Output result = build(program, c.base, basicUniforms, 2);
        EXPECT_FALSE(result.loaded) << c.what;
        EXPECT_EQ(result.err, "Could not load shader: " + c.base + ".vert (" + c.reason + ")\n")
            << c.what;
    }
}

TEST(ShaderProgram, AUniformTheProgramLacksIsReportedOnceOnItsFirstWrite) {
    GlContext::get();
    ScratchDir dir;
    ShaderProgram program;
    const std::string base = writePair(dir, "flat", vertexWithoutUvs, fragmentSource);
    build(program, base, terrainUniforms, 5);  // the table names pos, the program has none
    program.use();

    CapturedStream err(2);
    for (int frame = 0; frame < 3; ++frame) {
        program.setUniformMatrix4("mvMat", Matrix4());
        program.setUniform2f("pos", Vector2(1.0f, 2.0f));
        program.setUniform1f("unknown", 1.0f);  // not in the table: nothing to report
    }
    // finalMatrix is missing too, but nothing sets it, so nothing is said of it.
    EXPECT_EQ(err.finish(), base + ": the linked program has no active uniform \"pos\"\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
