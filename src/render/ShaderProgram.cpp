// ShaderProgram: placeholder until the shader loader lands.
#include "render/ShaderProgram.h"

ShaderProgram* ShaderProgram::current = nullptr;

ShaderProgram::~ShaderProgram() = default;
bool ShaderProgram::load(const std::string&) { return false; }
void ShaderProgram::setVariables(const ShaderVariable*, unsigned) {}
bool ShaderProgram::compileAndLink() { return false; }
void ShaderProgram::use() { current = this; }
void ShaderProgram::disableAttributes() {}
GLint ShaderProgram::uniformLocation(const char*) const { return 0; }
void ShaderProgram::setUniformMatrix4(const char*, const Matrix4&) {}
void ShaderProgram::setUniform1f(const char*, float) {}
void ShaderProgram::setUniform2f(const char*, const Vector2&) {}
void ShaderProgram::bindVertexBuffers(int) {}
void ShaderProgram::drawIndexed(int, int) {}
