// Tests of the GL entry-point table and the fixed render state on a real Mesa context.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/GLFunctions.h"
#include "app/Renderer.h"
#include "support/GlContext.h"

TEST(GLFunctions, EveryUsedEntryIsPresentOnMesa) {
    GlContext::get();
    EXPECT_EQ(missingGLFunction(), nullptr);
    EXPECT_GE(currentGLVersion(), 30);
    EXPECT_NE(GLFunctions::glGenBuffers, nullptr);
    EXPECT_NE(GLFunctions::glActiveTexture, nullptr);
    EXPECT_NE(GLFunctions::glUniform4ui, nullptr);
}

TEST(GLFunctions, AMissingEntryIsNamed) {
    GlContext::get();
    const auto saved = GLFunctions::glUniformMatrix4fv;
    GLFunctions::glUniformMatrix4fv = nullptr;
    const char* missing = missingGLFunction();
    GLFunctions::glUniformMatrix4fv = saved;
    ASSERT_NE(missing, nullptr);
    EXPECT_STREQ(missing, "glUniformMatrix4fv");

    // Entries the program never calls do not stop it.
    const auto unused = GLFunctions::glBufferSubData;
    GLFunctions::glBufferSubData = nullptr;
    EXPECT_EQ(missingGLFunction(), nullptr);
    GLFunctions::glBufferSubData = unused;
}

TEST(RenderState, FixedStateAfterInit) {
    GlContext::get();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    const struct {
        const char* name;
        GLenum state;
        GLint value;
    } expected[] = {
        {"depth function", GL_DEPTH_FUNC, GL_LEQUAL},
        {"culled faces", GL_CULL_FACE_MODE, GL_BACK},
        {"front faces", GL_FRONT_FACE, GL_CCW},
        {"blend source", GL_BLEND_SRC_RGB, GL_SRC_ALPHA},
        {"blend destination", GL_BLEND_DST_RGB, GL_ONE_MINUS_SRC_ALPHA},
        {"active texture unit", GL_ACTIVE_TEXTURE, GL_TEXTURE0},
    };
    for (const auto& row : expected) {
        GLint value = 0;
        glGetIntegerv(row.state, &value);
        EXPECT_EQ(value, row.value) << row.name;
    }
}

TEST(RenderState, ClearGivesOpaqueWhiteAndFarDepth) {
    GlContext& gl = GlContext::get();
    gl.useFramebuffer(8, 8);
    renderer.setDepthMask(true);
    renderer.clear();
    EXPECT_EQ(gl.pixel(3, 3), 0xFFFFFFFFu);
    float depth = 0.0f;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
}

TEST(RenderState, DepthMaskSwitchesDepthWrites) {
    GlContext& gl = GlContext::get();
    gl.useFramebuffer(8, 8);
    renderer.setDepthMask(true);
    renderer.clear();
    renderer.setDepthMask(false);
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_FALSE);
    renderer.setDepthMask(true);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
}

TEST(RenderState, ViewportAndTextureNames) {
    GlContext::get();
    renderer.setViewport(0, 0, 1280, 720);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1280);
    EXPECT_EQ(viewport[3], 720);
    const GLuint first = renderer.genTexture();
    const GLuint second = renderer.genTexture();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    glDeleteTextures(1, &first);
    glDeleteTextures(1, &second);
}

TEST(GLFunctions, VersionTextsOfDesktopGLAndOpenGLES) {
    EXPECT_EQ(parseGLVersion("3.0 Mesa 22.3.6"), 30);
    EXPECT_EQ(parseGLVersion("4.5 (Compatibility Profile) Mesa 22.3.6"), 45);
    EXPECT_EQ(parseGLVersion("2.1 Mesa 22.3.6"), 21);
    // What a browser's WebGL2 context says, and what OpenGL ES drivers say.
    EXPECT_EQ(parseGLVersion("OpenGL ES 3.0 (WebGL 2.0 (OpenGL ES 3.0 Chromium))"), 30);
    EXPECT_EQ(parseGLVersion("OpenGL ES 3.2 Mesa 22.3.6"), 32);
    EXPECT_EQ(parseGLVersion("OpenGL ES-CM 1.1 Mesa"), 11);
    // Anything else is unknown, never a wrong number.
    EXPECT_EQ(parseGLVersion(nullptr), 0);
    EXPECT_EQ(parseGLVersion(""), 0);
    EXPECT_EQ(parseGLVersion("OpenGL ES"), 0);
    EXPECT_EQ(parseGLVersion("OpenGL ESX 3.0"), 0);
    EXPECT_EQ(parseGLVersion("WebGL 2.0"), 0);
    EXPECT_EQ(parseGLVersion("3.10 Mesa"), 0);
}

TEST(GLFunctions, DesktopContextIsNotOpenGLES) {
    GlContext::get();
    EXPECT_FALSE(isOpenGLES());
}

TEST(Renderer, RedAndBlueSwapKeepsTheRowPadding) {
    // BGR, 3 x 2: rows of 9 bytes padded to 12; the padding bytes must come through as they are.
    const std::uint8_t bgr[24] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  90, 91, 92,
                                  10, 11, 12, 13, 14, 15, 16, 17, 18, 93, 94, 95};
    const std::vector<std::uint8_t> rgb{3,  2,  1,  6,  5,  4,  9,  8,  7,  90, 91, 92,
                                        12, 11, 10, 15, 14, 13, 18, 17, 16, 93, 94, 95};
    EXPECT_EQ(swapRedAndBlue(bgr, 3, 2, 3), rgb);
    // BGRA: rows are whole words; alpha stays.
    const std::uint8_t bgra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> rgba{3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(swapRedAndBlue(bgra, 2, 1, 4), rgba);
}
