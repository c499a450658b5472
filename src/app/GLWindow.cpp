// GLWindow: window creation, GL context set-up and event handling on SDL.
#include "app/GLWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Diagnostics.h"
#include "app/DisplayErrors.h"
#include "app/QuitSignals.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {
const char* const windowTitle = "VOLK 5 Pellor";

// Drivers that never show a window. SDL falls back to them when no display is reachable;
// the game must not, so they are used only when SDL_VIDEODRIVER asks for them by name.
bool isHeadlessDriver(const char* name) {
    return std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0 ||
           std::strcmp(name, "evdev") == 0;
}

// Says why the window or its context could not be made, before the caller's own message.
bool failed(const char* step) {
    writeDiagnostic(stderr, "%s: %s", step, SDL_GetError());
    return false;
}

#ifdef __EMSCRIPTEN__
// The page's own error box (index.html's Module.volkShowError).
EM_JS(void, showErrorInPage, (const char* caption, const char* text), {
    if (Module.volkShowError) {
        Module.volkShowError(UTF8ToString(caption), UTF8ToString(text));
    }
});
#endif

void setFramebufferAttributes() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}
}  // namespace

bool showErrorMessage(const char* text, int quitExitCode) {
    // The line goes out first: it is the whole report whenever the box cannot be shown.
    writeDiagnostic(stderr, "%s", text);
#ifdef __EMSCRIPTEN__
    // In a page the box is part of the page (index.html's volkShowError), not a blocking
    // alert(): the message stays beside the canvas. Nothing blocks, so no quit can come in.
    (void)quitExitCode;
    showErrorInPage("An error occurred", text);
    return true;
#else
    // NOTE: SDL's X11 box fails at once (-1, nothing printed) when the X server has no core
    // font it can draw with, as on a bare Debian without xfonts-base, or when there is no
    // display at all. Then nobody answered anything: the caller goes on as after a dismissed
    // box, and no second line follows, since SDL's reason gives the user nothing to act on.
    beginQuitExits(quitExitCode);
    const bool shown =
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "An error occurred", text, nullptr) == 0;
    endQuitExits();
    return shown;
#endif
}

// NOTE: the window, its context and SDL's video subsystem are deliberately left to process
// exit. Destroying the last GL window unloads the GL driver, and with it the names the leak
// checker needs to tell the driver's own lifetime allocations from ours; the game's resources
// are destroyed after the window, and they skip GL once no context is current.
GLWindow::~GLWindow() = default;

bool GLWindow::openVideo() {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (requested != nullptr && requested[0] != '\0') {
        videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        return videoStarted;
    }
    // Every driver's refusal is kept: the last one tried is rarely the one that matters.
    std::string refusals;
    for (int i = 0; i < SDL_GetNumVideoDrivers() && !videoStarted; ++i) {
        const char* name = SDL_GetVideoDriver(i);
        if (name == nullptr || isHeadlessDriver(name)) {
            continue;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, name);
        videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!videoStarted) {
            refusals += (refusals.empty() ? "" : "; ") + std::string(name) + ": " + SDL_GetError();
        }
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    if (!videoStarted) {
        SDL_SetError("%s", refusals.c_str());
    }
    return videoStarted;
}

bool GLWindow::createContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
#ifdef __EMSCRIPTEN__
    // NOTE: a page's GL is WebGL2, which is OpenGL ES 3.0. Asked for anything but the ES
    // profile, SDL makes no context and the legacy retry would get WebGL 1. Without WebGL2
    // there is no fallback: the page says the window cannot be made.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    const bool hasFallback = false;
#else
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    const bool hasFallback = true;
#endif
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    context = SDL_GL_CreateContext(window);
    if (context == nullptr && hasFallback) {
        writeDiagnostic(stderr, "OpenGL 3.0 is not supported, falling back to GL 2.1");
        SDL_GL_ResetAttributes();
        setFramebufferAttributes();
        context = SDL_GL_CreateContext(window);
    }
    if (context == nullptr) {
        return failed("No OpenGL context");
    }
    if (SDL_GL_MakeCurrent(window, context) != 0) {
        return failed("The OpenGL context cannot be made current");
    }
    running = true;
    return true;
}

bool GLWindow::create(int width, int height, int bits, bool wantFullscreen) {
    (void)bits;  // the format always asks for 8 bits per colour channel
    fullscreen = wantFullscreen;
    createdWidth = width;
    createdHeight = height;
    if (!openVideo()) {
        return failed("No video driver shows a window here");
    }
    catchDisplayErrors();
    setFramebufferAttributes();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
#ifdef __EMSCRIPTEN__
    // A page's canvas holds width x height CSS pixels; its drawing buffer gets the device
    // pixels behind them.
    flags |= SDL_WINDOW_ALLOW_HIGHDPI;
#endif
    window = SDL_CreateWindow(windowTitle, 0, 0, width, height, flags);
    if (window == nullptr) {
        return failed("No window");
    }
    if (fullscreen) {
        SDL_DisplayMode mode{};
        mode.w = width;
        mode.h = height;
        mode.format = SDL_PIXELFORMAT_RGB888;
        if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
            showErrorMessage("Display mode failed", 0);
            fullscreen = false;
        } else {
            SDL_ShowCursor(SDL_DISABLE);
        }
    }
    if (!createContext()) {
        SDL_DestroyWindow(window);
        window = nullptr;
        context = nullptr;
        return false;
    }
    forwardSize();
    SDL_ShowWindow(window);
    watchWindow(window);
    return true;
}

// NOTE: the driver's colour and depth buffers follow the window: a window resized far past
// every screen (16384 x 16384 costs gigabytes and seconds a frame on a software renderer)
// is shrunk back to the largest display, or to the size it was created with on a smaller
// one. Window managers honour the maximum size; without one, nothing stops a client from
// asking, so the size is also checked as it arrives.
void GLWindow::clampToDisplays() {
    int maxWidth = createdWidth;
    int maxHeight = createdHeight;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0) {
            maxWidth = std::max(maxWidth, bounds.w);
            maxHeight = std::max(maxHeight, bounds.h);
        }
    }
    largestWidth = maxWidth;
    largestHeight = maxHeight;
    SDL_SetWindowMaximumSize(window, maxWidth, maxHeight);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width > maxWidth || height > maxHeight) {
        SDL_SetWindowSize(window, std::min(width, maxWidth), std::min(height, maxHeight));
    }
}

void GLWindow::forwardSize() {
    if (sizeListener == nullptr || !running) {
        return;
    }
    int width = 0;
    int height = 0;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) == 0) {
        clampToDisplays();
        SDL_GL_GetDrawableSize(window, &width, &height);
    }
    sizeListener(sizeTarget, width, height);
}

void GLWindow::close() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    running = false;
}

void GLWindow::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            close();
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    close();
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_MINIMIZED:
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                    forwardSize();
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
            // Auto-repeats flip it too, as every key-down message does.
            if (event.key.keysym.sym == SDLK_ESCAPE) {
                active = !active;
            }
            break;
        default:
            break;
    }
}

void GLWindow::pumpMessages() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        handleEvent(event);
    }
    if (running && isQuitRequested()) {
        close();
    }
}

void GLWindow::waitForEvents(int milliseconds) { SDL_WaitEventTimeout(nullptr, milliseconds); }

// NOTE: the driver takes the window's size at a frame's first draw. Another client's resize
// that arrives while the loop sleeps to the frame floor would otherwise be drawn once at its
// full size (16384 x 16384: gigabytes on a software renderer) before the next message step
// clamps it. SDL_PumpEvents moves the X events into SDL's queue and updates the window's size
// as they go, without taking any event out of the queue. A clamp is checked again: SDL waits
// up to 100 ms for its resize to take, and another request may land in that time.
void GLWindow::checkSize() {
    for (int attempt = 0; running && attempt < 3; ++attempt) {
        SDL_PumpEvents();
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window, &width, &height);
        if (width <= largestWidth && height <= largestHeight) {
            return;
        }
        clampToDisplays();
    }
}

void GLWindow::swapBuffers() {
    if (context != nullptr) {
        SDL_GL_SwapWindow(window);
    }
}

void GLWindow::restoreDisplay() {
    if (fullscreen && window != nullptr) {
        SDL_SetWindowFullscreen(window, 0);
        SDL_ShowCursor(SDL_ENABLE);
    }
}
