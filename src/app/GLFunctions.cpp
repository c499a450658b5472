// GLFunctions: lookup of the entry points and the check for missing ones.
#include "app/GLFunctions.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

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

namespace {

// Whether the space-separated GL_EXTENSIONS string of a legacy context names the extension
// (as a whole word: one name can be the start of another).
bool hasExtension(const char* name) {
    const auto* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const std::size_t length = std::strlen(name);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr;
         at += length) {
        const bool starts = at == list || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0')) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool hasVertexArrayObjects() {
    if (GLFunctions::glGenVertexArrays == nullptr || GLFunctions::glBindVertexArray == nullptr ||
        GLFunctions::glDeleteVertexArrays == nullptr) {
        return false;
    }
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (text != nullptr && std::sscanf(text, "OpenGL ES %d.%d", &major, &minor) == 2) {
        return major >= 3;
    }
    // NOTE: GL_EXTENSIONS may not be asked of a core context; a 3.0 one needs no asking.
    return currentGLVersion() >= 30 || hasExtension("GL_ARB_vertex_array_object");
}
