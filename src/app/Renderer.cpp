// Renderer: the fixed render state and its small state operations.
#include "app/Renderer.h"

#include <cstdio>

#include "app/Diagnostics.h"
#include "app/GLFunctions.h"

Renderer renderer;

bool Renderer::initRenderState() {
    loadGLFunctions();
    if (missingGLFunction() != nullptr) {
        return false;
    }
    glEnable(GL_DEPTH_TEST);
    // Back faces culled, counter-clockwise front faces: GL's defaults.
    glEnable(GL_CULL_FACE);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GLFunctions::glActiveTexture(GL_TEXTURE0);
    return true;
}

void Renderer::clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void Renderer::setDepthMask(bool write) { glDepthMask(write ? GL_TRUE : GL_FALSE); }

void Renderer::setViewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }

GLuint Renderer::genTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

bool Renderer::checkErrors() {
    const GLenum first = glGetError();
    if (first == GL_NO_ERROR) {
        return false;
    }
    // Errors queue up one per kind; drain them so the next check sees only new ones.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    if (!errorReported) {
        errorReported = true;
        writeDiagnostic(stderr, "GL error 0x%04X during a frame", static_cast<unsigned>(first));
    }
    return true;
}
