// Test that a running frame (update and render) allocates nothing on the heap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "app/Keyboard.h"
#include "game/Game.h"
#include "support/GlContext.h"

namespace {
std::atomic<long> newCalls{0};
bool rightHeld(int key) { return key == keyRight; }
}  // namespace

// Counts every C++ heap allocation of this test program. NOTE: not under AddressSanitizer,
// whose own operator new and delete must stay paired.
#ifndef __SANITIZE_ADDRESS__
void* operator new(std::size_t size) {
    ++newCalls;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

TEST(GameFrameAllocation, SteadyFramesAllocateNothing) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "allocations are counted only without AddressSanitizer";
#endif
    GlContext::get().useFramebuffer(1280, 720);
    auto game = std::make_unique<Game>();
    ASSERT_TRUE(game->init());
    game->resize(1280, 720);
    keyboard.setKeyState(&rightHeld);
    for (int i = 0; i < 5; ++i) {  // the score reaches two digits; the driver settles
        game->update(0.05f);
        game->render();
    }
    const long before = newCalls.load();
    ASSERT_GT(before, 0);  // the counter sees the loaders' allocations
    for (int i = 0; i < 20; ++i) {
        game->update(0.015f);
        game->render();
    }
    keyboard.setKeyState(nullptr);
    EXPECT_EQ(newCalls.load() - before, 0);
}
