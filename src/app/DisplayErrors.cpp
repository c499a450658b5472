// DisplayErrors: a non-fatal X error handler, found in the libX11 that SDL has loaded.
#include "app/DisplayErrors.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "app/Diagnostics.h"

#if defined(__linux__) && __has_include(<X11/Xlib.h>)
#include <X11/Xlib.h>
#include <dlfcn.h>

namespace {
using SetErrorHandler = XErrorHandler (*)(XErrorHandler);
using GetErrorText = int (*)(Display*, int, char*, int);

GetErrorText getErrorText = nullptr;

int reportError(Display* display, XErrorEvent* error) {
    char text[160] = "unknown error";
    if (getErrorText != nullptr) {
        getErrorText(display, error->error_code, text, sizeof text);
    }
    writeDiagnostic(stderr, "X error: request %d.%d failed: %s", error->request_code,
                    error->minor_code, text);
    return 0;
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
    }
    dlclose(library);  // drops only the reference taken above
}
#else
void catchDisplayErrors() {}
#endif
