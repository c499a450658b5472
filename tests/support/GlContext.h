// GlContext: the one real Mesa GL context of a test process, with pixel read-back.
#pragma once

#include <cstdint>
#include <vector>

#include "support/OffscreenContext.h"

// Made on first use and kept for the process; drawing goes to a framebuffer object of the
// requested size (64 x 64 to begin with) so pixels can be read back.
class GlContext {
public:
    // The process-wide context, created on first use; the process aborts with a line on
    // standard error when it cannot be.
    static GlContext& get();

    // See OffscreenContext::useFramebuffer.
    void useFramebuffer(int width, int height) { offscreen.useFramebuffer(width, height); }
    // RGBA bytes of the bound framebuffer, rows bottom-up.
    std::vector<std::uint8_t> readPixels(int x, int y, int width, int height) const {
        return offscreen.readPixels(x, y, width, height);
    }
    // RGBA of one pixel.
    std::uint32_t pixel(int x, int y) const;

    SDL_Window* getWindow() const { return offscreen.getWindow(); }

private:
    GlContext();

    OffscreenContext offscreen;
};
