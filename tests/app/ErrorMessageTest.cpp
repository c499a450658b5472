// Tests of the start-up error report when no box can be shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/GLWindow.h"

TEST(ErrorMessage, WithoutDisplayTheLineIsTheWholeReport) {
    // No display of any kind: SDL has nowhere to put a box.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    const bool shown = showErrorMessage("Unable to create the OpenGL Window", 1);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(shown);
    EXPECT_EQ(printed, "Unable to create the OpenGL Window\n");
}
