// Texture: one 2D GL texture and the decoded pixels it is made from.
#pragma once

#include <SDL_opengl.h>

#include <cstdint>
#include <string>
#include <vector>

// NOTE: the GL texture lives until the context ends: the destructor frees the pixels only, as
// the game keeps every texture for the whole run and leaves the context to process exit.
class Texture {
public:
    // setWrap's modes, in the order of its numbers.
    static constexpr int wrapMirroredRepeat = 0;
    static constexpr int wrapRepeat = 1;
    static constexpr int wrapClampToEdge = 2;
    static constexpr int wrapClampToBorder = 3;
    // setFiltering's choices.
    static constexpr bool filterLinear = true;
    static constexpr bool filterNearest = false;

    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Decoder by the last four characters: ".bmp" BMP (BGR), ".png" PNG (RGBA), anything else
    // BMP to BGRA with alpha copied from red. No GL call. On failure: one line on standard
    // error naming the file and the problem, no pixels, and false.
    bool load(const std::string& filePath);
    // Creates the GL texture (linear filtering, mirrored repeat) and defines it from the
    // pixels; with no pixels, or sides past what this GL takes (then with a line on standard
    // error naming the file), it defines 1 x 1 opaque magenta so later draws stay valid.
    void upload();
    void freePixels();
    // Binds to GL_TEXTURE_2D, unless this texture is bound already.
    void bind() const;
    void setFiltering(bool linear);
    void setWrap(int mode);  // 0 mirrored repeat, 1 repeat, 2 clamp to edge, 3 clamp to border

    GLuint getId() const { return id; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    GLint getInternalFormat() const { return internalFormat; }
    GLenum getFormat() const { return format; }
    const std::vector<std::uint8_t>& getPixels() const { return pixels; }
    bool hasPixels() const { return !pixels.empty(); }

private:
    GLuint id = 0;
    std::string path;                  // of the last load, for messages
    std::vector<std::uint8_t> pixels;  // rows bottom-up
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    GLint internalFormat = GL_RGB;
    GLenum format = GL_BGR;
};
