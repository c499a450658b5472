// GlContext: a real Mesa GL context for unit tests, on SDL's offscreen driver (no X server).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

// One hidden window and context per test process; the GL table is loaded and the game's
// render state set, exactly as at start-up. Drawing goes to an offscreen framebuffer object
// of the requested size so pixels can be read back.
class GlContext {
public:
    // Returns the process-wide context, creating it on first use (width x height drawable).
    static GlContext& get();

    // Binds a fresh width x height RGBA8 + 16-bit depth framebuffer object and sets the
    // viewport to it; later draws land there until the next call.
    void useFramebuffer(int width, int height);
    // RGBA bytes of the bound framebuffer, rows bottom-up.
    std::vector<std::uint8_t> readPixels(int x, int y, int width, int height) const;
    // RGBA of one pixel.
    std::uint32_t pixel(int x, int y) const;

    SDL_Window* getWindow() const { return window; }

private:
    GlContext();
    ~GlContext();

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
    unsigned depthBuffer = 0;
};

// Captures what the code under test writes to standard output or standard error (the file
// descriptor, so C stdio and iostreams are both seen).
class CapturedStream {
public:
    explicit CapturedStream(int fd);  // 1 or 2
    ~CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    // Stops capturing (once) and returns everything written since construction.
    std::string finish();

private:
    int fd;
    int saved = -1;
    int file = -1;
    std::string path;
    bool finished = false;
    std::string text;
};
