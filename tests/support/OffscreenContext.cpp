// OffscreenContext: video driver choice with the hidden-window fallback, and framebuffer objects.
#include "support/OffscreenContext.h"

#include <type_traits>

#include "app/GLFunctions.h"
#include "app/Renderer.h"

bool OffscreenContext::create() {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    std::string why;
    if (asked != nullptr) {
        // The variable outranks the hint: SDL takes the driver it names (an empty one, its
        // default), and so do we.
        if (!openWindow(why)) {
            error = std::string(*asked != '\0' ? asked : "default") + " video driver: " + why;
            return false;
        }
    } else {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (!openWindow(why)) {
            // NOTE: the offscreen driver needs EGL, which some systems (Wine among them) lack.
            // An unmapped window on the default driver draws into framebuffer objects just
            // the same, so the pictures do not depend on which of the two was taken.
            SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
            std::string fallbackWhy;
            if (!openWindow(fallbackWhy)) {
                error = "offscreen video driver: " + why +
                        "; hidden window on the default video driver: " + fallbackWhy;
                return false;
            }
        }
    }
    // NOTE: SDL asks a new context for GL_MAJOR_VERSION, which a GL 2.1 context does not
    // know: that GL_INVALID_ENUM is SDL's, not something a test should find.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    if (!renderer.initRenderState()) {
        error = std::string("GL entry ") + missingGLFunction() + " missing";
        return false;
    }
    if (!loadFramebufferFunctions()) {
        error = "no framebuffer objects";
        return false;
    }
    return true;
}

bool OffscreenContext::openWindow(std::string& why) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = SDL_GetError();
        return false;
    }
    // NOTE: after the video start-up, which resets every attribute to its default.
    auto setFramebufferAttributes = [] {
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    };
    setFramebufferAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    window = SDL_CreateWindow("offscreen", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window != nullptr) {
        context = SDL_GL_CreateContext(window);
        if (context == nullptr) {
            // As the game falls back: a driver limited to GL 2.1 refuses the 3.0 request
            // (MESA_GL_VERSION_OVERRIDE=2.1, for tests of the legacy context).
            SDL_GL_ResetAttributes();
            setFramebufferAttributes();
            context = SDL_GL_CreateContext(window);
        }
        if (context != nullptr && SDL_GL_MakeCurrent(window, context) == 0) {
            return true;
        }
    }
    why = SDL_GetError();
    if (context != nullptr) {
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
}

bool OffscreenContext::loadFramebufferFunctions() {
    // NOTE: a function pointer cannot be converted from void* implicitly.
    auto load = [](auto& entry, const char* name) {
        entry =
            reinterpret_cast<std::remove_reference_t<decltype(entry)>>(SDL_GL_GetProcAddress(name));
        return entry != nullptr;
    };
    // Every entry is loaded (no short-circuit), then all are required.
    const bool loaded[] = {load(genFramebuffers, "glGenFramebuffers"),
                           load(bindFramebuffer, "glBindFramebuffer"),
                           load(framebufferRenderbuffer, "glFramebufferRenderbuffer"),
                           load(genRenderbuffers, "glGenRenderbuffers"),
                           load(bindRenderbuffer, "glBindRenderbuffer"),
                           load(renderbufferStorage, "glRenderbufferStorage"),
                           load(deleteFramebuffers, "glDeleteFramebuffers"),
                           load(deleteRenderbuffers, "glDeleteRenderbuffers")};
    for (const bool ok : loaded) {
        if (!ok) {
            return false;
        }
    }
    return true;
}

void OffscreenContext::useFramebuffer(int width, int height) {
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

std::vector<std::uint8_t> OffscreenContext::readPixels(int x, int y, int width, int height) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}
