// Renderer (buffer store): the tables of mesh buffer objects addressed by integer handles,
// the meshes' vertex array objects and binding a mesh for drawing.
#include <SDL.h>

#include <algorithm>

#include "app/GLFunctions.h"
#include "app/Renderer.h"

using namespace GLFunctions;

namespace {

GLsizeiptr byteSize(std::int64_t count, std::int64_t elementBytes) {
    return static_cast<GLsizeiptr>(std::max<std::int64_t>(count, 0) * elementBytes);
}

// Meshes outlive the game's context at shutdown; their GL buffers died with it.
bool contextCurrent() { return SDL_GL_GetCurrentContext() != nullptr; }

}  // namespace

int Renderer::createBufferSet(unsigned vertexCount, const std::uint8_t* components,
                              const float* const* arrays, unsigned bufferCount) {
    BufferSet set;
    set.ids.assign(bufferCount, 0);
    set.components.assign(components, components + bufferCount);
    if (bufferCount > 0) {
        glGenBuffers(static_cast<GLsizei>(bufferCount), set.ids.data());
    }
    for (unsigned i = 0; i < bufferCount; ++i) {
        glBindBuffer(GL_ARRAY_BUFFER, set.ids[i]);
        glBufferData(GL_ARRAY_BUFFER,
                     byteSize(std::int64_t{vertexCount} * components[i], sizeof(float)), arrays[i],
                     GL_STATIC_DRAW);
    }
    bufferSets.push_back(std::move(set));
    return static_cast<int>(bufferSets.size()) - 1;
}

int Renderer::createIndexBuffer(int indexCount, const std::uint16_t* indices) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    buffers.push_back(name);
    // NOTE: the index buffer binding belongs to the bound vertex array object, and in the
    // default vertex array it is the bound mesh's.
    if (vertexArrays) {
        bindVertexArray(0);
    }
    boundMesh = -1;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, byteSize(indexCount, sizeof(std::uint16_t)), indices,
                 GL_STATIC_DRAW);
    return static_cast<int>(buffers.size()) - 1;
}

int Renderer::createBuffer() {
    GLuint name = 0;
    glGenBuffers(1, &name);
    buffers.push_back(name);
    return static_cast<int>(buffers.size()) - 1;
}

void Renderer::uploadArrayBuffer(int handle, const float* data, std::int64_t floatCount) {
    const GLuint name = getBuffer(handle);
    if (name == 0) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, byteSize(floatCount, sizeof(float)), data, GL_STATIC_DRAW);
}

void Renderer::deleteBuffer(int handle) {
    const GLuint name = getBuffer(handle);
    if (name == 0) {
        return;
    }
    if (contextCurrent()) {
        glDeleteBuffers(1, &name);
    }
    boundMesh = -1;
    // The entry stays (handles are positions) but no longer names a GL buffer, so a second
    // delete cannot free a name GL has since handed to someone else.
    buffers[static_cast<std::size_t>(handle)] = 0;
}

void Renderer::deleteBufferSet(int handle) {
    if (getBufferSet(handle) == nullptr) {
        return;
    }
    BufferSet& set = bufferSets[static_cast<std::size_t>(handle)];
    if (!set.ids.empty() && contextCurrent()) {
        glDeleteBuffers(static_cast<GLsizei>(set.ids.size()), set.ids.data());
    }
    std::fill(set.ids.begin(), set.ids.end(), 0u);
    boundMesh = -1;
}

GLuint Renderer::createVertexArray(int setHandle, int indexBufferHandle) {
    const BufferSet* set = getBufferSet(setHandle);
    if (!vertexArrays || set == nullptr) {
        return 0;
    }
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    bindVertexArray(vertexArray);
    for (std::size_t i = 0; i < set->ids.size(); ++i) {
        const auto location = static_cast<GLuint>(i);
        glBindBuffer(GL_ARRAY_BUFFER, set->ids[i]);
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, set->components[i], GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, getBuffer(indexBufferHandle));
    // Back to the default one, so that no later buffer set-up lands in this mesh's state.
    bindVertexArray(0);
    return vertexArray;
}

void Renderer::deleteVertexArray(GLuint vertexArray) {
    if (vertexArray == 0) {
        return;
    }
    if (contextCurrent()) {
        glDeleteVertexArrays(1, &vertexArray);
    }
    // GL binds the default vertex array in place of a deleted bound one.
    if (boundVertexArray == vertexArray) {
        boundVertexArray = 0;
    }
    boundMesh = -1;
}

void Renderer::bindMesh(int setHandle, int indexBufferHandle, GLuint vertexArray) {
    if (setHandle == boundMesh) {
        return;
    }
    if (vertexArray != 0) {
        bindVertexArray(vertexArray);
    } else {
        const BufferSet* set = getBufferSet(setHandle);
        if (set == nullptr) {
            return;
        }
        if (vertexArrays) {
            bindVertexArray(0);
        }
        for (std::size_t i = 0; i < set->ids.size(); ++i) {
            glBindBuffer(GL_ARRAY_BUFFER, set->ids[i]);
            glVertexAttribPointer(static_cast<GLuint>(i), set->components[i], GL_FLOAT, GL_FALSE, 0,
                                  nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, getBuffer(indexBufferHandle));
    }
    boundMesh = setHandle;
}

GLuint Renderer::getBuffer(int handle) const {
    if (handle < 0 || static_cast<std::size_t>(handle) >= buffers.size()) {
        return 0;
    }
    return buffers[static_cast<std::size_t>(handle)];
}

const BufferSet* Renderer::getBufferSet(int handle) const {
    if (handle < 0 || static_cast<std::size_t>(handle) >= bufferSets.size()) {
        return nullptr;
    }
    return &bufferSets[static_cast<std::size_t>(handle)];
}
