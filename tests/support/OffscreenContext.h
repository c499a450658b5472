// OffscreenContext: a GL 3.0 context (or the game's GL 2.1 fallback) in a hidden window
// drawing into framebuffer objects, for tests, benchmarks and tools that need real GL but no
// display.
#pragma once

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdint>
#include <string>
#include <vector>

// The window comes from SDL's offscreen driver (no X server) unless SDL_VIDEODRIVER is set,
// which is then kept to; where the offscreen driver cannot start (it needs EGL), a hidden
// window on the default driver stands in. The GL table is loaded and the game's render state set
// exactly as at start-up (renderer.initRenderState).
//
// NOTE: the window and context are never destroyed: they are left to process exit, since
// static objects may still draw in their destructors and unloading the driver early would
// hide its allocations from the leak checker's suppressions.
class OffscreenContext {
public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // Makes the context current and ready to draw; false (see getError) when it cannot.
    // Call once.
    bool create();
    // Why create failed, for one line on standard error.
    const std::string& getError() const { return error; }

    // Binds a fresh width x height RGBA8 + 16-bit depth framebuffer object (the depth the
    // game's window asks for) and sets the viewport to it; later draws land there until the
    // next call, which deletes this one.
    void useFramebuffer(int width, int height);
    // RGBA bytes of the bound framebuffer, rows bottom-up.
    std::vector<std::uint8_t> readPixels(int x, int y, int width, int height) const;

    SDL_Window* getWindow() const { return window; }

private:
    // A hidden window with a current GL 3.0 context (a legacy one where 3.0 is refused) on
    // the video driver SDL picks now;
    // on failure everything is undone and the reason returned.
    bool openWindow(std::string& why);
    bool loadFramebufferFunctions();

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::string error;
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
    unsigned depthBuffer = 0;

    // Framebuffer objects are core since GL 3.0; the game itself never needs them, so they
    // are fetched here rather than in the game's table.
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
};
