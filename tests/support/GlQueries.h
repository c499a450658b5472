// GlQueries: GL read-back entry points the game never calls, fetched for tests only.
#pragma once

#include <SDL_opengl.h>

#include <cstdint>
#include <vector>

namespace GlQueries {
// GL_BUFFER_SIZE of a buffer name (bound to GL_ARRAY_BUFFER for the query).
GLint bufferSize(GLuint buffer);
// The whole store of a buffer as floats.
std::vector<float> bufferFloats(GLuint buffer);
bool isBuffer(GLuint buffer);
// count floats of a uniform of the given program.
std::vector<float> uniformFloats(GLuint program, GLint location, int count);
bool isAttribArrayEnabled(GLuint index);
// Level 0 of the texture bound to GL_TEXTURE_2D in the given format, rows packed tightly.
std::vector<std::uint8_t> texImage(GLenum format, int width, int height, int bytesPerPixel);
GLint texParameter(GLenum name);
}  // namespace GlQueries
