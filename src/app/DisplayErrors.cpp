// DisplayErrors: the X error handler, installed in the libX11 that SDL has loaded.
#include "app/DisplayErrors.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Diagnostics.h"

#if defined(__linux__) && __has_include(<X11/Xlib.h>) && defined(SDL_VIDEO_DRIVER_X11)
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

namespace {
using SetErrorHandler = XErrorHandler (*)(XErrorHandler);
using GetErrorText = int (*)(Display*, int, char*, int);

GetErrorText getErrorText = nullptr;
bool handlerInstalled = false;
Window watchedWindow = 0;  // the game's window once it is shown; 0 before

// True when the error says the game's own window does not exist any more. Only BadWindow
// and BadDrawable mean that: any other error naming the window (BadMatch from a focus
// request on a hidden window, say) leaves it usable.
bool isWindowGone(const XErrorEvent& error) {
    return watchedWindow != 0 && error.resourceid == watchedWindow &&
           (error.error_code == BadWindow || error.error_code == BadDrawable);
}

int reportError(Display* display, XErrorEvent* error) {
    char text[160] = "unknown error";
    if (getErrorText != nullptr) {
        getErrorText(display, error->error_code, text, sizeof text);
    }
    if (!isWindowGone(*error)) {
        writeDiagnostic(stderr, "X error: request %d.%d failed: %s", error->request_code,
                        error->minor_code, text);
        return 0;
    }
    writeDiagnostic(stderr,
                    "The OpenGL Window was destroyed by another program (X error: "
                    "request %d.%d failed: %s)",
                    error->request_code, error->minor_code, text);
    // NOTE: the run ends here and now, not at the frame loop's next check. The error may
    // come in the middle of a driver call that goes on with what the failed request left:
    // Mesa's software path takes the window's size from a failed GetGeometry's untouched
    // results and allocated gigabytes for them, looping without return. Nothing of the game
    // needs saving, every printed line is already flushed, and a closed window's destructors
    // only release what process exit releases anyway.
    std::_Exit(0);
}
}  // namespace

void catchDisplayErrors() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return;
    }
    // NOTE: SDL opens libX11 privately; RTLD_NOLOAD hands back that same library, whose error
    // handler is the one that counts, without loading a second copy.
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) {
        return;
    }
    auto setHandler = reinterpret_cast<SetErrorHandler>(dlsym(library, "XSetErrorHandler"));
    getErrorText = reinterpret_cast<GetErrorText>(dlsym(library, "XGetErrorText"));
    if (setHandler != nullptr) {
        setHandler(reportError);
        handlerInstalled = true;
    }
    dlclose(library);  // drops only the reference taken above
}

void watchWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!handlerInstalled || window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    watchedWindow = info.info.x11.window;
}
#else
void catchDisplayErrors() {}
void watchWindow(SDL_Window*) {}
#endif
