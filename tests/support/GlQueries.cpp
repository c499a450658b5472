// GlQueries: lookups through SDL, made on first use while the test context is current.
#include "support/GlQueries.h"

#include <SDL.h>

namespace {

template <typename T>
T fetch(const char* name) {
    return reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

}  // namespace

namespace GlQueries {

GLint bufferSize(GLuint buffer) {
    static auto bind = fetch<PFNGLBINDBUFFERPROC>("glBindBuffer");
    static auto get = fetch<PFNGLGETBUFFERPARAMETERIVPROC>("glGetBufferParameteriv");
    GLint size = -1;
    bind(GL_ARRAY_BUFFER, buffer);
    get(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    return size;
}

std::vector<float> bufferFloats(GLuint buffer) {
    static auto bind = fetch<PFNGLBINDBUFFERPROC>("glBindBuffer");
    static auto get = fetch<PFNGLGETBUFFERSUBDATAPROC>("glGetBufferSubData");
    const GLint size = bufferSize(buffer);
    std::vector<float> floats(static_cast<std::size_t>(size > 0 ? size : 0) / sizeof(float));
    bind(GL_ARRAY_BUFFER, buffer);
    if (!floats.empty()) {
        get(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats.size() * sizeof(float)),
            floats.data());
    }
    return floats;
}

bool isBuffer(GLuint buffer) {
    static auto is = fetch<PFNGLISBUFFERPROC>("glIsBuffer");
    return is(buffer) == GL_TRUE;
}

std::vector<float> uniformFloats(GLuint program, GLint location, int count) {
    static auto get = fetch<PFNGLGETUNIFORMFVPROC>("glGetUniformfv");
    std::vector<float> values(static_cast<std::size_t>(count), -12345.0f);
    get(program, location, values.data());
    return values;
}

bool isAttribArrayEnabled(GLuint index) {
    static auto get = fetch<PFNGLGETVERTEXATTRIBIVPROC>("glGetVertexAttribiv");
    GLint enabled = 0;
    get(index, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled != 0;
}

std::vector<std::uint8_t> texImage(GLenum format, int width, int height, int bytesPerPixel) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * bytesPerPixel);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

GLint texParameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

}  // namespace GlQueries
