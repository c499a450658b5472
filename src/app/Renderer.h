// Renderer: the global render state operations and the store of mesh buffer objects.
#pragma once

#include <SDL_opengl.h>

#include <cstdint>
#include <vector>

// GL buffer names of one mesh's vertex buffers, one per attribute row.
struct BufferSet {
    std::vector<GLuint> ids;
};

class Renderer {
public:
    Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // State operations. initRenderState fetches the GL entry points and sets the fixed state;
    // it returns false, touching no state, when an entry the program calls is missing
    // (missingGLFunction() names it).
    bool initRenderState();
    void clear();
    void setDepthMask(bool write);
    void setViewport(int x, int y, int width, int height);
    GLuint genTexture();
    // glTexImage2D of 8-bit pixels, rows padded to 4 bytes (GL's default unpack alignment).
    // NOTE: OpenGL ES (WebGL2) refuses GL_BGR and GL_BGRA; there the pixels go up as RGB or
    // RGBA from a copy with red and blue swapped, which draws the same picture.
    void uploadTexture(GLint internalFormat, int width, int height, GLenum format,
                       const std::uint8_t* pixels);
    // The wrap mode the context has for mode: GL_CLAMP_TO_BORDER, which OpenGL ES 3.0 lacks,
    // becomes GL_CLAMP_TO_EDGE there.
    GLint wrapMode(GLint mode) const;
    void beginFrame() {}
    void endFrame() {}
    // Drains glGetError; the first error of the run is written as one line on standard error.
    // Returns true when an error was pending. Debug builds call it once per frame.
    bool checkErrors();

    // Buffer store. Handles are positions in the tables; entries are never removed or reused,
    // so deleting one mesh's buffers leaves every other handle valid.
    int createBufferSet(unsigned vertexCount, const std::uint8_t* components,
                        const float* const* arrays, unsigned bufferCount);
    int createIndexBuffer(int indexCount, const std::uint16_t* indices);
    int createBuffer();
    void uploadArrayBuffer(int handle, const float* data, std::int64_t floatCount);
    void deleteBuffer(int handle);
    void deleteBufferSet(int handle);

    // Handles outside the tables name nothing: lookups answer 0 / null for them.
    GLuint getBuffer(int handle) const;
    const BufferSet* getBufferSet(int handle) const;
    std::size_t getBufferCount() const { return buffers.size(); }
    std::size_t getBufferSetCount() const { return bufferSets.size(); }

private:
    bool errorReported = false;
    std::vector<GLuint> buffers;        // index and pose buffers; position = handle
    std::vector<BufferSet> bufferSets;  // vertex buffer sets; position = handle
};

// A copy of BGR or BGRA rows (channels 3 or 4, each row padded to 4 bytes) as RGB or RGBA,
// padding kept.
std::vector<std::uint8_t> swapRedAndBlue(const std::uint8_t* pixels, int width, int height,
                                         int channels);

// The one renderer of the process, alive before main and until exit.
extern Renderer renderer;
