// Renderer::checkErrors on a real Mesa context: what a debug build's frame check reports.
#include <gtest/gtest.h>

#include <string>

#include "app/Renderer.h"
#include "support/CapturedStream.h"
#include "support/GlContext.h"

TEST(RendererErrors, TheFirstErrorOfTheRunIsOneLineAndEveryQueuedErrorIsDrained) {
    GlContext::get();
    while (glGetError() != GL_NO_ERROR) {
    }
    Renderer checked;
    CapturedStream err(2);
    EXPECT_FALSE(checked.checkErrors());

    // Two kinds queue up; the line names the first, and neither is left for the next check.
    glEnable(0xFFFF);
    glViewport(0, 0, -1, -1);
    EXPECT_TRUE(checked.checkErrors());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(checked.checkErrors());

    // Later errors are still found, but the line is not repeated every frame.
    glEnable(0xFFFF);
    EXPECT_TRUE(checked.checkErrors());
    EXPECT_EQ(err.finish(), "GL error 0x0500 during a frame\n");
}
