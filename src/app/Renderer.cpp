// Renderer: the fixed render state and its small state operations.
#include "app/Renderer.h"

#include <cstdio>
#include <utility>

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

std::vector<std::uint8_t> swapRedAndBlue(const std::uint8_t* pixels, int width, int height,
                                         int channels) {
    const std::size_t rowBytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels) + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> out(pixels, pixels + rowBytes * static_cast<std::size_t>(height));
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        std::uint8_t* pixel = out.data() + row * rowBytes;
        for (int x = 0; x < width; ++x, pixel += channels) {
            std::swap(pixel[0], pixel[2]);
        }
    }
    return out;
}

void Renderer::uploadTexture(GLint internalFormat, int width, int height, GLenum format,
                             const std::uint8_t* pixels) {
    if ((format == GL_BGR || format == GL_BGRA) && isOpenGLES()) {
        const int channels = format == GL_BGR ? 3 : 4;
        const std::vector<std::uint8_t> swapped = swapRedAndBlue(pixels, width, height, channels);
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0,
                     channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE, swapped.data());
        return;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
}

GLint Renderer::wrapMode(GLint mode) const {
    return mode == GL_CLAMP_TO_BORDER && isOpenGLES() ? GL_CLAMP_TO_EDGE : mode;
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
