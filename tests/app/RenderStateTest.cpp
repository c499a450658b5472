// Tests of the GL entry-point table and the fixed render state on a real Mesa context.
#include <gtest/gtest.h>

#include <cstring>

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
