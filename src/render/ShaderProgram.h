// ShaderProgram: a GLSL program from a ".vert"/".frag" pair with its attribute and uniform tables.
#pragma once

#include <SDL_opengl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "math/Matrix4.h"
#include "math/Vector2.h"

// One row of an attribute or uniform table. For attributes, size is the number of float
// components fed to the attribute; for uniforms it is only the caller's declaration.
struct ShaderVariable {
    std::string name;
    GLint location = 0;  // resolved once the program links
    std::uint16_t size = 0;
    bool absenceReported = false;  // a uniform set by the game that the program lacks
};

struct ShaderHandles {
    GLuint program = 0;
    GLuint vertexShader = 0;  // 0 once a failed compile with a log has deleted it
    GLuint fragmentShader = 0;
};

// NOTE: the GL shader and program objects live until the context ends: the destructor only
// detaches the shaders, as the game builds its three programs once and leaves the context to
// process exit.
class ShaderProgram {
public:
    ShaderProgram() = default;
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Creates the shaders and the program and hands GL baseName + ".vert" and baseName + ".frag".
    // A file that cannot be read: one line "Could not load shader: <path> (<reason>)" on
    // standard error, an empty source, and false.
    bool load(const std::string& baseName);
    // Installs the fixed attribute table ("inVertex" 3, "inTexCoord" 2, "inNormal" 3) and a
    // copy of the given uniform rows.
    void setVariables(const ShaderVariable* uniformRows, unsigned uniformCount);
    // The same for a whole table, counted by the compiler.
    template <unsigned count>
    void setVariables(const ShaderVariable (&uniformRows)[count]) {
        setVariables(uniformRows, count);
    }
    // Compile failures and link failures are reported on standard output; false if either.
    // The attributes are bound to locations 0, 1, 2 in table order before linking, so every
    // program reads a mesh's buffers from the same places. Once linked, every location is
    // resolved, here and only here. A program that links without one of the attributes is
    // reported on standard error as "<name>: the linked program has no active attribute ...".
    bool compileAndLink();
    // Makes this program current (GL is told only when another program was in use) and
    // leaves exactly its active attribute arrays enabled on the default vertex array.
    void use();
    void disableAttributes();
    // The location of the first uniform row with this exact name; -1 (which GL ignores) when
    // none has it.
    GLint uniformLocation(const char* uniformName) const;
    // The setters write to the current GL program. A row of the table that the linked program
    // lacks is reported once, on the first write to it, as "<name>: the linked program has no
    // active uniform ..." on standard error: the game draws wrong, and GL would say nothing.
    void setUniformMatrix4(const char* name, const Matrix4& m);
    void setUniform1f(const char* name, float v);
    void setUniform2f(const char* name, const Vector2& v);

    // Whether a draw with this program makes any vertices: inVertex (location 0) is active.
    // NOTE: a program whose vertex stage failed still links, with the fragment stage alone,
    // and has no active attribute. On the compatibility contexts the game gets, drawing with
    // the array at location 0 disabled made no vertices, so such a program drew nothing; a
    // mesh's vertex array object keeps all three arrays enabled and would run the fixed
    // vertex stage over them, so the draw is skipped instead.
    bool isDrawable() const { return (attributeMask & 1u) != 0; }
    const ShaderHandles& getHandles() const { return handles; }
    const std::vector<ShaderVariable>& getAttributes() const { return attributes; }
    const std::vector<ShaderVariable>& getUniforms() const { return uniforms; }

    // The program most recently made current by use(); null at start.
    static ShaderProgram* current;
    // Forgets the current program, as when a new GL context starts with none in use, or
    // after a program was put in use behind ShaderProgram's back.
    static void clearCurrent();

private:
    void resolveLocations();
    void reportMissingAttributes() const;
    GLint locationToSet(const char* uniformName);

    std::string name;     // base path given to load, for messages
    bool linked = false;  // both stages compiled and the program linked

    bool linkedAtAll = false;    // GL linked it (locations can be asked)
    unsigned attributeMask = 0;  // bit i: the attribute at location i is active
    ShaderHandles handles;
    std::vector<ShaderVariable> attributes;
    std::vector<ShaderVariable> uniforms;
};
