// GLFunctions: the OpenGL entry points beyond version 1.1, fetched by name once a context is
// current.
#pragma once

#include <SDL_opengl.h>

// GL 1.1 entries have no pointer types in the GL headers.
typedef void(APIENTRYP PfnGlClear)(GLbitfield mask);
typedef void(APIENTRYP PfnGlDepthMask)(GLboolean flag);
typedef void(APIENTRYP PfnGlBindTexture)(GLenum target, GLuint texture);
typedef void(APIENTRYP PfnGlDrawElements)(GLenum mode, GLsizei count, GLenum type,
                                          const void* indices);

// One list drives the pointer declarations, their lookup and the check for missing entries,
// so the three cannot drift apart. Columns: pointer type, name, whether the program calls it,
// and the core GL version (major * 10 + minor) that provides it.
// The order is the order of the lookups.
// NOTE: the GL 1.1 entries that a frame calls are here too, so that every call of a frame
// goes through this table (the tests count a frame's calls by standing in for it). The
// vertex array entries are optional: without them meshes are drawn from their buffers
// (Renderer::hasVertexArrays).
#define VOLK_GL_FUNCTIONS(X)                                                   \
    X(PFNGLGENBUFFERSPROC, glGenBuffers, true, 15)                             \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers, true, 15)                       \
    X(PFNGLBINDBUFFERPROC, glBindBuffer, true, 15)                             \
    X(PFNGLBUFFERDATAPROC, glBufferData, true, 15)                             \
    X(PFNGLBUFFERSUBDATAPROC, glBufferSubData, false, 15)                      \
    X(PFNGLCREATESHADERPROC, glCreateShader, true, 20)                         \
    X(PFNGLDELETESHADERPROC, glDeleteShader, true, 20)                         \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram, true, 20)                       \
    X(PFNGLSHADERSOURCEPROC, glShaderSource, true, 20)                         \
    X(PFNGLCOMPILESHADERPROC, glCompileShader, true, 20)                       \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv, true, 20)                           \
    X(PFNGLATTACHSHADERPROC, glAttachShader, true, 20)                         \
    X(PFNGLDETACHSHADERPROC, glDetachShader, true, 20)                         \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram, true, 20)                           \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv, true, 20)                         \
    X(PFNGLUSEPROGRAMPROC, glUseProgram, true, 20)                             \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog, false, 20)              \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog, true, 20)                 \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation, true, 20)             \
    X(PFNGLUNIFORM1FPROC, glUniform1f, true, 20)                               \
    X(PFNGLUNIFORM2FPROC, glUniform2f, true, 20)                               \
    X(PFNGLUNIFORM3FPROC, glUniform3f, false, 20)                              \
    X(PFNGLUNIFORM4FPROC, glUniform4f, false, 20)                              \
    X(PFNGLUNIFORM1FVPROC, glUniform1fv, false, 20)                            \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv, false, 20)                            \
    X(PFNGLUNIFORM3FVPROC, glUniform3fv, false, 20)                            \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv, false, 20)                            \
    X(PFNGLUNIFORM1IPROC, glUniform1i, false, 20)                              \
    X(PFNGLUNIFORM2IPROC, glUniform2i, false, 20)                              \
    X(PFNGLUNIFORM3IPROC, glUniform3i, false, 20)                              \
    X(PFNGLUNIFORM4IPROC, glUniform4i, false, 20)                              \
    X(PFNGLUNIFORM1UIPROC, glUniform1ui, false, 30)                            \
    X(PFNGLUNIFORM2UIPROC, glUniform2ui, false, 30)                            \
    X(PFNGLUNIFORM3UIPROC, glUniform3ui, false, 30)                            \
    X(PFNGLUNIFORM4UIPROC, glUniform4ui, false, 30)                            \
    X(PFNGLUNIFORMMATRIX2FVPROC, glUniformMatrix2fv, false, 20)                \
    X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv, false, 20)                \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv, true, 20)                 \
    X(PFNGLGETATTRIBLOCATIONPROC, glGetAttribLocation, true, 20)               \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation, false, 20)            \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer, true, 20)           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray, true, 20)   \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray, true, 20) \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture, true, 13)                       \
    X(PfnGlClear, glClear, true, 11)                                           \
    X(PfnGlDepthMask, glDepthMask, true, 11)                                   \
    X(PfnGlBindTexture, glBindTexture, true, 11)                               \
    X(PfnGlDrawElements, glDrawElements, true, 11)                             \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays, false, 30)                  \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray, false, 30)                  \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays, false, 30)

// The pointers live in a namespace of their own: a global variable named like an exported
// libGL function would interpose that symbol for every library in the process.
// Code that calls them says `using namespace GLFunctions;` and then calls them by their names.
namespace GLFunctions {
#define VOLK_GL_DECLARE(type, name, used, version) extern type name;
VOLK_GL_FUNCTIONS(VOLK_GL_DECLARE)
#undef VOLK_GL_DECLARE
}  // namespace GLFunctions

// Fills every pointer, in list order, from the current context.
void loadGLFunctions();

// The first entry the program calls that the current context cannot provide, or null when
// all are there. NOTE: Mesa hands out a non-null address even for names it does not know,
// so an entry counts as present only when the context's version also covers it.
const char* missingGLFunction();

// The current context's version as major * 10 + minor (30 for "3.0 ..." and for
// "OpenGL ES 3.0 ..."), 0 when unknown.
int currentGLVersion();
// The same from a GL_VERSION text; 0 for null or anything else.
int parseGLVersion(const char* text);
// True when the current context is OpenGL ES (WebGL in a browser): no BGR uploads, no
// GL_CLAMP_TO_BORDER, and GLSL ES shaders.
bool isOpenGLES();

// The first line(s) the program puts in front of a shader source that names no #version:
// "#version 120" on desktop GL (2.1 and later all compile it), "#version 100" with a default
// float precision on OpenGL ES. The sources under data/shaders are written in the subset of
// GLSL 1.20 and GLSL ES 1.00 that both accept. stage is GL_VERTEX_SHADER or
// GL_FRAGMENT_SHADER.
const char* shaderPrelude(GLenum stage, bool openGLES);

// Whether the current context has vertex array objects: desktop GL 3.0 or later, a GL 2.1
// context with GL_ARB_vertex_array_object, or OpenGL ES 3.0 or later (WebGL 2); and the
// three entries were found.
bool hasVertexArrayObjects();
