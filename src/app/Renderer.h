// Renderer: the global render state operations and the store of mesh buffer objects.
#pragma once

#include <SDL_opengl.h>

#include <cstdint>
#include <vector>

// GL buffer names of one mesh's vertex buffers, one per attribute row, and the floats per
// vertex of each.
struct BufferSet {
    std::vector<GLuint> ids;
    std::vector<std::uint8_t> components;
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

    // Bindings. Each call skips GL when what it binds is bound already, so a frame binds a
    // program, a texture or a mesh only when it changes. NOTE: they trust that every bind
    // goes through them; after binding behind their back, call forgetBindings.
    void useProgram(GLuint program);
    void bindTexture(GLuint texture);
    // Makes a mesh the one drawn from: its vertex array object where it has one, otherwise
    // its buffers, attribute pointers (location i fed by buffer i) and index buffer, set on
    // the default vertex array.
    void bindMesh(int setHandle, int indexBufferHandle, GLuint vertexArray);
    // Leaves exactly the attribute arrays of mask (bit i: location i) enabled on the default
    // vertex array, the one meshes without a vertex array object draw from.
    void setAttributeArrays(unsigned mask);
    unsigned getAttributeArrays() const {
        return enabledArrays == unknownArrays ? 0u : enabledArrays;
    }
    void drawTriangles(int indexCount);
    void forgetBindings();
    void forgetProgram() { boundProgram = unknownBinding; }
    // Whether meshes get vertex array objects (hasVertexArrayObjects() at initRenderState).
    bool hasVertexArrays() const { return vertexArrays; }

    // Buffer store. Handles are positions in the tables; entries are never removed or reused,
    // so deleting one mesh's buffers leaves every other handle valid.
    int createBufferSet(unsigned vertexCount, const std::uint8_t* components,
                        const float* const* arrays, unsigned bufferCount);
    int createIndexBuffer(int indexCount, const std::uint16_t* indices);
    int createBuffer();
    void uploadArrayBuffer(int handle, const float* data, std::int64_t floatCount);
    void deleteBuffer(int handle);
    void deleteBufferSet(int handle);
    // A vertex array object recording the set's buffers and attribute pointers and the index
    // buffer; 0 when the context has none (or the set is unknown).
    GLuint createVertexArray(int setHandle, int indexBufferHandle);
    void deleteVertexArray(GLuint vertexArray);

    // Handles outside the tables name nothing: lookups answer 0 / null for them.
    GLuint getBuffer(int handle) const;
    const BufferSet* getBufferSet(int handle) const;
    std::size_t getBufferCount() const { return buffers.size(); }
    std::size_t getBufferSetCount() const { return bufferSets.size(); }

private:
    static constexpr std::int64_t unknownBinding = -1;
    static constexpr unsigned unknownArrays = ~0u;

    void bindVertexArray(GLuint vertexArray);

    bool errorReported = false;
    bool vertexArrays = false;
    // What GL has bound, as far as the calls above know; unknownBinding when it may differ.
    std::int64_t boundProgram = unknownBinding;
    std::int64_t boundTexture = unknownBinding;
    std::int64_t boundVertexArray = unknownBinding;
    int boundMesh = -1;                      // buffer-set handle of the bound mesh, -1 none known
    unsigned enabledArrays = unknownArrays;  // of the default vertex array

    std::vector<GLuint> buffers;        // index and pose buffers; position = handle
    std::vector<BufferSet> bufferSets;  // vertex buffer sets; position = handle
};

// A copy of BGR or BGRA rows (channels 3 or 4, each row padded to 4 bytes) as RGB or RGBA,
// padding kept.
std::vector<std::uint8_t> swapRedAndBlue(const std::uint8_t* pixels, int width, int height,
                                         int channels);

// The one renderer of the process, alive before main and until exit.
extern Renderer renderer;
