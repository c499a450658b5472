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

namespace {
// Desktop GL_VERSION starts "major.minor"; OpenGL ES starts "OpenGL ES major.minor" (ES 1.x
// wrote "OpenGL ES-CM 1.1").
const char* const esPrefix = "OpenGL ES";

const char* currentVersionText() { return reinterpret_cast<const char*>(glGetString(GL_VERSION)); }
}  // namespace

int parseGLVersion(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    if (std::strncmp(text, esPrefix, std::strlen(esPrefix)) == 0) {
        text += std::strlen(esPrefix);
        if (*text == '-') {
            text += std::strcspn(text, " ");
        }
        if (*text != ' ') {
            return 0;
        }
    }
    int major = 0;
    int minor = 0;
    if (std::sscanf(text, "%d.%d", &major, &minor) != 2 || major < 0 || minor < 0 || minor > 9 ||
        major > 99) {
        return 0;
    }
    return major * 10 + minor;
}

int currentGLVersion() { return parseGLVersion(currentVersionText()); }

bool isOpenGLES() {
    const char* text = currentVersionText();
    return text != nullptr && std::strncmp(text, esPrefix, std::strlen(esPrefix)) == 0;
}

const char* shaderPrelude(GLenum stage, bool openGLES) {
    if (!openGLES) {
        return "#version 120\n";
    }
    // NOTE: GLSL ES fragment shaders have no default float precision; vertex shaders do.
    return stage == GL_FRAGMENT_SHADER ? "#version 100\nprecision highp float;\n"
                                       : "#version 100\n";
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
    if (isOpenGLES()) {
        return currentGLVersion() >= 30;
    }
    // NOTE: GL_EXTENSIONS may not be asked of a core context; a 3.0 one needs no asking.
    return currentGLVersion() >= 30 || hasExtension("GL_ARB_vertex_array_object");
}
