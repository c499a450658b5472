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
    vertexArrays = hasVertexArrayObjects();
    forgetBindings();
    return true;
}

void Renderer::clear() { GLFunctions::glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void Renderer::setDepthMask(bool write) { GLFunctions::glDepthMask(write ? GL_TRUE : GL_FALSE); }

void Renderer::setViewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }

GLuint Renderer::genTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    // A name handed out again was deleted, and GL unbound it then.
    if (name == boundTexture) {
        boundTexture = unknownBinding;
    }
    return name;
}

std::vector<std::uint8_t> swapRedAndBlue(const std::uint8_t* pixels, int width, int height,
                                         int channels) {
    const std::size_t rowBytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels) + 3) &
        ~std::size_t{3};
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

void Renderer::useProgram(GLuint program) {
    if (boundProgram != program) {
        GLFunctions::glUseProgram(program);
        boundProgram = program;
    }
}

void Renderer::bindTexture(GLuint texture) {
    if (boundTexture != texture) {
        GLFunctions::glBindTexture(GL_TEXTURE_2D, texture);
        boundTexture = texture;
    }
}

void Renderer::bindVertexArray(GLuint vertexArray) {
    if (boundVertexArray != vertexArray) {
        GLFunctions::glBindVertexArray(vertexArray);
        boundVertexArray = vertexArray;
        boundMesh = -1;
    }
}

void Renderer::setAttributeArrays(unsigned mask) {
    if (enabledArrays == mask) {
        return;
    }
    // NOTE: enabling is vertex array state: a mesh's own vertex array object must keep its
    // three arrays enabled whatever program draws from it. (Only a core profile, which the
    // game never asks for, lacks the default vertex array; WebGL 2 has one.)
    if (vertexArrays) {
        bindVertexArray(0);
    }
    // Locations 0 to 2: the attribute rows every program binds before linking.
    for (GLuint location = 0; location < 3; ++location) {
        const unsigned bit = 1u << location;
        const bool wanted = (mask & bit) != 0;
        if (enabledArrays != unknownArrays && wanted == ((enabledArrays & bit) != 0)) {
            continue;
        }
        if (wanted) {
            GLFunctions::glEnableVertexAttribArray(location);
        } else {
            GLFunctions::glDisableVertexAttribArray(location);
        }
    }
    enabledArrays = mask;
}

void Renderer::drawTriangles(int indexCount) {
    GLFunctions::glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
}

void Renderer::forgetBindings() {
    boundProgram = unknownBinding;
    boundTexture = unknownBinding;
    boundVertexArray = vertexArrays ? unknownBinding : 0;
    boundMesh = -1;
    enabledArrays = unknownArrays;
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
