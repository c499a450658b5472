// GlContext: the tests' offscreen GL context, framebuffer and stream capture.
#include "support/GlContext.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/GLFunctions.h"
#include "app/Renderer.h"

namespace {
// Framebuffer objects are core since GL 3.0; the game itself never needs them, so they are
// fetched here rather than in the game's table.
PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
}  // namespace

GlContext& GlContext::get() {
    static GlContext instance;
    return instance;
}

GlContext::GlContext() {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "test GL context: %s\n", SDL_GetError());
        std::abort();
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    window = SDL_CreateWindow("test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        // NOTE: the offscreen driver's GL needs EGL, which Wine lacks: a hidden window of the
        // default driver serves as well.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            window = SDL_CreateWindow("test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        }
    }
    if (window == nullptr) {
        std::fprintf(stderr, "test GL window: %s\n", SDL_GetError());
        std::abort();
    }
    context = SDL_GL_CreateContext(window);
    if (context == nullptr || SDL_GL_MakeCurrent(window, context) != 0) {
        std::fprintf(stderr, "test GL context: %s\n", SDL_GetError());
        std::abort();
    }
    if (!renderer.initRenderState()) {
        std::fprintf(stderr, "test GL context: %s missing\n", missingGLFunction());
        std::abort();
    }
#define VOLK_TEST_GL(var, type, name) var = reinterpret_cast<type>(SDL_GL_GetProcAddress(name));
    VOLK_TEST_GL(genFramebuffers, PFNGLGENFRAMEBUFFERSPROC, "glGenFramebuffers")
    VOLK_TEST_GL(bindFramebuffer, PFNGLBINDFRAMEBUFFERPROC, "glBindFramebuffer")
    VOLK_TEST_GL(framebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC,
                 "glFramebufferRenderbuffer")
    VOLK_TEST_GL(genRenderbuffers, PFNGLGENRENDERBUFFERSPROC, "glGenRenderbuffers")
    VOLK_TEST_GL(bindRenderbuffer, PFNGLBINDRENDERBUFFERPROC, "glBindRenderbuffer")
    VOLK_TEST_GL(renderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC, "glRenderbufferStorage")
    VOLK_TEST_GL(deleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC, "glDeleteFramebuffers")
    VOLK_TEST_GL(deleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC, "glDeleteRenderbuffers")
#undef VOLK_TEST_GL
    useFramebuffer(64, 64);
}

GlContext::~GlContext() {
    // Left to process exit: the context may still be in use by static objects' destructors.
}

void GlContext::useFramebuffer(int width, int height) {
    if (framebuffer != 0) {
        bindFramebuffer(GL_FRAMEBUFFER, 0);
        deleteFramebuffers(1, &framebuffer);
        deleteRenderbuffers(1, &colourBuffer);
        deleteRenderbuffers(1, &depthBuffer);
    }
    genFramebuffers(1, &framebuffer);
    genRenderbuffers(1, &colourBuffer);
    genRenderbuffers(1, &depthBuffer);
    bindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    bindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    glViewport(0, 0, width, height);
}

std::vector<std::uint8_t> GlContext::readPixels(int x, int y, int width, int height) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

std::uint32_t GlContext::pixel(int x, int y) const {
    const std::vector<std::uint8_t> p = readPixels(x, y, 1, 1);
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

CapturedStream::CapturedStream(int fd) : fd(fd) {
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    char name[] = "/tmp/volk-capture-XXXXXX";
    file = mkstemp(name);
    if (file < 0) {
        throw std::runtime_error("cannot create a capture file");
    }
    path = name;
    saved = dup(fd);
    dup2(file, fd);
}

CapturedStream::~CapturedStream() { finish(); }

std::string CapturedStream::finish() {
    if (finished) {
        return text;
    }
    finished = true;
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    dup2(saved, fd);
    close(saved);
    close(file);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    std::remove(path.c_str());
    return text;
}
