// GLFunctions: lookup of the entry points and the check for missing ones.
#include "app/GLFunctions.h"

#include <SDL.h>

#include <cstdio>

namespace GLFunctions {
#define VOLK_GL_DEFINE(type, name, used, version) type name = nullptr;
VOLK_GL_FUNCTIONS(VOLK_GL_DEFINE)
#undef VOLK_GL_DEFINE
}  // namespace GLFunctions

void loadGLFunctions() {
#define VOLK_GL_LOAD(type, name, used, version) \
    GLFunctions::name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));
    VOLK_GL_FUNCTIONS(VOLK_GL_LOAD)
#undef VOLK_GL_LOAD
}

int currentGLVersion() {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    // GL_VERSION starts "major.minor" (an OpenGL ES context would start "OpenGL ES").
    if (text == nullptr || std::sscanf(text, "%d.%d", &major, &minor) != 2 || major < 0 ||
        minor < 0 || minor > 9 || major > 99) {
        return 0;
    }
    return major * 10 + minor;
}

const char* missingGLFunction() {
    const int version = currentGLVersion();
#define VOLK_GL_CHECK(type, name, used, since)                           \
    if ((used) && (GLFunctions::name == nullptr || version < (since))) { \
        return #name;                                                    \
    }
    VOLK_GL_FUNCTIONS(VOLK_GL_CHECK)
#undef VOLK_GL_CHECK
    return nullptr;
}
