// GlContext: the test process's offscreen context, made once.
#include "support/GlContext.h"

#include <cstdio>
#include <cstdlib>

GlContext& GlContext::get() {
    static GlContext instance;
    return instance;
}

GlContext::GlContext() {
    if (!offscreen.create()) {
        std::fprintf(stderr, "test GL context: %s\n", offscreen.getError().c_str());
        std::abort();
    }
    offscreen.useFramebuffer(64, 64);
}

std::uint32_t GlContext::pixel(int x, int y) const {
    const std::vector<std::uint8_t> p = readPixels(x, y, 1, 1);
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}
