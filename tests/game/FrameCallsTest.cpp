// Test of the GL calls one frame of the real game makes, counted by name through the GL table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/GLFunctions.h"
#include "app/Renderer.h"
#include "game/Game.h"
#include "support/GlCallCounter.h"
#include "support/GlContext.h"

namespace {

// Instances of one group within the drawing radius, decided as the render decides it.
template <typename Positions>
long drawnWithin(const Positions& positions, const Vector2& offset, float radius) {
    long drawn = 0;
    for (const Vector3& p : positions) {
        const float x = p.x - offset.x;
        const float y = p.y - offset.y;
        drawn += x * x + y * y < radius * radius ? 1 : 0;
    }
    return drawn;
}

long grassTilesWithin(const Vector2& offset, float radius) {
    long drawn = 0;
    for (int i = -40; i < 40; ++i) {
        for (int j = -40; j < 40; ++j) {
            const float x = 0.0f - offset.x + static_cast<float>(i);
            const float y = 0.0f - offset.y + static_cast<float>(j);
            drawn += x * x + y * y < radius * radius ? 1 : 0;
        }
    }
    return drawn;
}

bool environmentHas(const char* name, const char* text) {
    const char* value = std::getenv(name);
    return value != nullptr && std::strstr(value, text) != nullptr;
}

}  // namespace

// Run by ctest on the GL 3.0 context and again on the GL 2.1 fallback, with and without
// vertex array objects (tests/CMakeLists.txt sets Mesa's overrides for those runs).
TEST(FrameCalls, StartUpFrameDrawsEachInstanceWithAHandfulOfBinds) {
    GlContext::get().useFramebuffer(1280, 720);
    const bool legacy = environmentHas("MESA_GL_VERSION_OVERRIDE", "2.1");
    const bool withoutVertexArrays =
        environmentHas("MESA_EXTENSION_OVERRIDE", "-GL_ARB_vertex_array_object");
    // Without these the runs could all take the same path and prove one of them only.
    if (legacy) {
        ASSERT_EQ(currentGLVersion(), 21);
    } else {
        ASSERT_GE(currentGLVersion(), 30);
    }
    ASSERT_EQ(renderer.hasVertexArrays(), !withoutVertexArrays);

    auto game = std::make_unique<Game>();
    ASSERT_TRUE(game->init());
    game->resize(1280, 720);
    game->render();  // the first frame also enables the attribute arrays once

    const Level& level = game->getLevel();
    const Vector2 offset = game->getCameraRig().getGroundOffset();
    const float radius = game->getCameraRig().getTerrainRay() + 15.0f;
    const long grass = grassTilesWithin(offset, radius);
    const long instances = drawnWithin(level.getTreePositions(), offset, radius) +
                           drawnWithin(level.getWallPositions(), offset, radius) +
                           drawnWithin(level.getTallWallPositions(), offset, radius) +
                           drawnWithin(level.getWoodPositions(), offset, radius) +
                           drawnWithin(level.getFloorWoodPositions(), offset, radius);
    const long draws = 1 + grass + instances;  // the backdrop, the disc, the level
    ASSERT_GT(grass, 2000);
    ASSERT_GT(instances, 100);

    GlCallCounter counter;
    game->render();
    const std::string calls = counter.report();

    // Per drawn instance: its draw, its model-view matrix and, for a grass tile, its place.
    EXPECT_EQ(counter.count("glDrawElements"), draws) << calls;
    EXPECT_EQ(counter.count("glUniformMatrix4fv"), draws + 2) << calls;  // + two "projMat"
    EXPECT_EQ(counter.count("glUniform2f"), grass) << calls;
    EXPECT_EQ(counter.count("glUniform1f"), 1) << calls;
    EXPECT_EQ(counter.count("glClear"), 1) << calls;
    EXPECT_EQ(counter.count("glDepthMask"), 2) << calls;

    // Binds when something changes: the backdrop's, the grass's and three level textures;
    // the terrain program and back; seven meshes.
    constexpr long meshes = 7;
    EXPECT_LE(counter.count("glBindTexture"), 5) << calls;
    EXPECT_LE(counter.count("glUseProgram"), 2) << calls;
    long binds = counter.count("glBindTexture") + counter.count("glUseProgram");
    if (renderer.hasVertexArrays()) {
        EXPECT_LE(counter.count("glBindVertexArray"), meshes) << calls;
        binds += counter.count("glBindVertexArray");
    } else {
        EXPECT_LE(counter.count("glBindBuffer"), meshes * 4) << calls;
        EXPECT_LE(counter.count("glVertexAttribPointer"), meshes * 3) << calls;
        binds += counter.count("glBindBuffer") + counter.count("glVertexAttribPointer");
    }
    // Nothing else: no location is asked for, no attribute array switched.
    const long perInstance = counter.count("glDrawElements") + counter.count("glUniformMatrix4fv") +
                             counter.count("glUniform2f");
    const long perFrame =
        counter.count("glUniform1f") + counter.count("glClear") + counter.count("glDepthMask");
    EXPECT_EQ(counter.total(), perInstance + perFrame + binds) << calls;
    EXPECT_LE(counter.total(), 9000) << calls;
    std::printf("%s context, %s: %ld GL calls\n%s", legacy ? "GL 2.1" : "GL 3.0",
                renderer.hasVertexArrays() ? "vertex array objects" : "no vertex array objects",
                counter.total(), calls.c_str());
}
