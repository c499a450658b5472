// ShaderProgram: loading, compiling and linking a shader pair, and its tables.
#include "render/ShaderProgram.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

#include "app/Diagnostics.h"
#include "app/GLFunctions.h"
#include "app/Renderer.h"
#include "assets/AssetFile.h"

using namespace GLFunctions;

ShaderProgram* ShaderProgram::current = nullptr;

namespace {

// The fixed attribute rows; row i is bound to location i before linking and fed by buffer i
// of a mesh's buffer set.
const ShaderVariable attributeRows[] = {
    {"inVertex", 0, 3},
    {"inTexCoord", 0, 2},
    {"inNormal", 0, 3},
};

// Whole file as text; on failure the message and an empty string. ok tells which.
std::string readSource(const std::string& path, bool& ok) {
    AssetFile file;
    std::string problem;
    ok = file.read(path, AssetKind::shader, problem);
    if (ok) {
        // NOTE: GL takes the source up to its first NUL, so a file holding one would compile
        // as something else than it says, or as nothing with an empty log.
        const void* nul = std::memchr(file.getData(), 0, file.getSize());
        if (nul != nullptr) {
            ok = false;
            problem = "holds a NUL byte at offset " +
                      std::to_string(static_cast<const char*>(nul) - file.getData()) +
                      "; a shader source is text";
        }
    }
    if (!ok) {
        // The game's own words first, the reason on the same line: one problem, one line.
        writeDiagnostic(stderr, "Could not load shader: %s (%s)", path.c_str(), problem.c_str());
        return std::string();
    }
    return std::string(file.getData(), file.getSize());
}

// A source that names no #version gets the context's version line in front (see
// shaderPrelude); one that names its own is given as it is, and so is an empty one (a file
// that could not be read fails to compile as before).
void giveSource(GLuint shader, GLenum stage, const std::string& text) {
    const GLchar* sources[2] = {text.c_str(), nullptr};
    GLsizei count = 1;
    if (!text.empty() && text.compare(0, 8, "#version") != 0) {
        sources[0] = shaderPrelude(stage, isOpenGLES());
        sources[1] = text.c_str();
        count = 2;
    }
    glShaderSource(shader, count, sources, nullptr);
}

// Compiles one shader; prints and deletes it (zeroing the handle) when GL gives a log.
bool compileShader(GLuint& shader, const char* label, GLenum type) {
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE) {
        return true;
    }
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return false;
    }
    // NOTE: a log too large to hold only skips the message; the shader is deleted either way.
    std::vector<char> log;
    try {
        log.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        log.clear();
    }
    if (!log.empty()) {
        glGetShaderInfoLog(shader, length, nullptr, log.data());
        log.back() = '\0';
        writeDiagnostic(stdout, "Could not compile %s %u:\n%s", label, static_cast<unsigned>(type),
                        log.data());
    }
    glDeleteShader(shader);
    shader = 0;
    return false;
}

}  // namespace

ShaderProgram::~ShaderProgram() {
    // NOTE: a program that is gone must not stay current, or the next use() would call
    // disableAttributes() on freed memory.
    if (current == this) {
        current = nullptr;
    }
    // The game is destroyed after its window and context; GL objects died with the context.
    if (handles.program == 0 || SDL_GL_GetCurrentContext() == nullptr) {
        return;
    }
    renderer.useProgram(0);
    if (handles.vertexShader != 0) {
        glDetachShader(handles.program, handles.vertexShader);
    }
    if (handles.fragmentShader != 0) {
        glDetachShader(handles.program, handles.fragmentShader);
    }
}

bool ShaderProgram::load(const std::string& baseName) {
    name = baseName;
    handles.vertexShader = glCreateShader(GL_VERTEX_SHADER);
    handles.fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
    handles.program = glCreateProgram();
    bool vertexOk = false;
    bool fragmentOk = false;
    giveSource(handles.vertexShader, GL_VERTEX_SHADER, readSource(name + ".vert", vertexOk));
    giveSource(handles.fragmentShader, GL_FRAGMENT_SHADER, readSource(name + ".frag", fragmentOk));
    return vertexOk && fragmentOk;
}

void ShaderProgram::setVariables(const ShaderVariable* uniformRows, unsigned uniformCount) {
    attributes.assign(std::begin(attributeRows), std::end(attributeRows));
    uniforms.clear();
    if (uniformRows != nullptr) {
        uniforms.assign(uniformRows, uniformRows + uniformCount);
    }
    if (linkedAtAll) {
        resolveLocations();
    }
}

void ShaderProgram::clearCurrent() {
    current = nullptr;
    renderer.forgetProgram();
}

bool ShaderProgram::compileAndLink() {
    const bool vertexOk = compileShader(handles.vertexShader, "vertexShader", GL_VERTEX_SHADER);
    const bool fragmentOk =
        compileShader(handles.fragmentShader, "fragmentShader", GL_FRAGMENT_SHADER);
    // NOTE: a deleted (zeroed) shader is not attached: that would only raise a GL error.
    if (handles.vertexShader != 0) {
        glAttachShader(handles.program, handles.vertexShader);
    }
    if (handles.fragmentShader != 0) {
        glAttachShader(handles.program, handles.fragmentShader);
    }
    for (std::size_t i = 0; i < std::size(attributeRows); ++i) {
        glBindAttribLocation(handles.program, static_cast<GLuint>(i),
                             attributeRows[i].name.c_str());
    }
    glLinkProgram(handles.program);
    GLint linkStatus = GL_FALSE;
    glGetProgramiv(handles.program, GL_LINK_STATUS, &linkStatus);
    linkedAtAll = linkStatus != 0;
    resolveLocations();
    // Only a complete pair is checked for missing names: with a stage missing, that failure
    // was already said and is why attributes and uniforms went unused.
    linked = linkStatus != 0 && vertexOk && fragmentOk && handles.vertexShader != 0 &&
             handles.fragmentShader != 0;
    if (linkStatus == 0) {
        writeDiagnostic(stdout, "programme non linke");
    } else if (linked) {
        reportMissingAttributes();
    }
    return vertexOk && fragmentOk && linkStatus != 0;
}

void ShaderProgram::resolveLocations() {
    // NOTE: an unlinked program has no locations to ask for (GL would raise an error); -1,
    // which every GL call ignores, stands for them.
    attributeMask = 0;
    for (ShaderVariable& row : attributes) {
        row.location = linkedAtAll ? glGetAttribLocation(handles.program, row.name.c_str()) : -1;
        if (row.location >= 0 &&
            static_cast<std::size_t>(row.location) < std::size(attributeRows)) {
            attributeMask |= 1u << row.location;
        }
    }
    for (ShaderVariable& row : uniforms) {
        row.location = linkedAtAll ? glGetUniformLocation(handles.program, row.name.c_str()) : -1;
    }
}

void ShaderProgram::reportMissingAttributes() const {
    // NOTE: every mesh draw feeds all three attributes; a program that links without one
    // (misspelt, or dropped as unused) draws nothing or draws wrong, and GL says nothing.
    std::string missing;
    for (const ShaderVariable& row : attributes) {
        if (row.location < 0) {
            missing += (missing.empty() ? "\"" : ", \"") + row.name + "\"";
        }
    }
    if (!missing.empty()) {
        AssetFile::report(name, "the linked program has no active attribute " + missing);
    }
}

void ShaderProgram::use() {
    renderer.useProgram(handles.program);
    // NOTE: an attribute the linker dropped (-1) is left disabled: enabling -1 would only
    // raise GL_INVALID_VALUE.
    renderer.setAttributeArrays(attributeMask);
    current = this;
}

void ShaderProgram::disableAttributes() {
    renderer.setAttributeArrays(renderer.getAttributeArrays() & ~attributeMask);
}

GLint ShaderProgram::uniformLocation(const char* uniformName) const {
    for (const ShaderVariable& row : uniforms) {
        if (std::strcmp(row.name.c_str(), uniformName) == 0) {
            return row.location;
        }
    }
    // NOTE: not 0: that is a real location, so a misspelt name would overwrite whichever
    // uniform sits there. GL ignores every write to -1.
    return -1;
}

GLint ShaderProgram::locationToSet(const char* uniformName) {
    for (ShaderVariable& row : uniforms) {
        if (std::strcmp(row.name.c_str(), uniformName) == 0) {
            // Only a program that linked: a failed one was reported already, and has no
            // uniforms at all.
            if (row.location < 0 && linked && !row.absenceReported) {
                row.absenceReported = true;
                AssetFile::report(name,
                                  "the linked program has no active uniform \"" + row.name + "\"");
            }
            return row.location;
        }
    }
    return -1;
}

void ShaderProgram::setUniformMatrix4(const char* uniformName, const Matrix4& m) {
    glUniformMatrix4fv(locationToSet(uniformName), 1, GL_FALSE, m.data());
}

void ShaderProgram::setUniform1f(const char* uniformName, float v) {
    glUniform1f(locationToSet(uniformName), v);
}

void ShaderProgram::setUniform2f(const char* uniformName, const Vector2& v) {
    glUniform2f(locationToSet(uniformName), v.x, v.y);
}
