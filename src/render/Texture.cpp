// Texture: choosing a decoder by file name, and the GL texture made from its pixels.
#include "render/Texture.h"

#include "app/Diagnostics.h"
#include "app/Renderer.h"
#include "assets/AssetFile.h"
#include "render/BmpDecoder.h"
#include "render/PngDecoder.h"

namespace {

bool endsWith(const std::string& text, const char* ending) {
    const std::string tail(ending);
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

Texture::~Texture() { freePixels(); }

bool Texture::load(const std::string& filePath) {
    // NOTE: the ending is compared case-sensitively: "X.BMP" is not a ".bmp" and is read
    // as BMP to BGRA, like every other ending (the font's ".fnt" among them).
    Image (*decode)(const std::uint8_t*, std::size_t) = decodeBmpToBgra;
    const AssetKind* kind = &AssetKind::bmpImage;
    if (endsWith(filePath, ".bmp")) {
        decode = decodeBmp;
        internalFormat = GL_RGB;
        format = GL_BGR;
    } else if (endsWith(filePath, ".png")) {
        decode = decodePng;
        kind = &AssetKind::pngImage;
        internalFormat = GL_RGBA;
        format = GL_RGBA;
    } else {
        internalFormat = GL_RGBA;
        format = GL_BGRA;
    }

    path = filePath;
    pixels.clear();
    AssetFile file;
    std::string problem;
    if (!file.read(filePath, *kind, problem)) {
        writeDiagnostic(stderr, "Could not load texture: %s: %s", filePath.c_str(),
                        problem.c_str());
        return false;
    }
    Image image = decode(reinterpret_cast<const std::uint8_t*>(file.getData()), file.getSize());
    if (!image.isValid()) {
        writeDiagnostic(stderr, "Could not load texture: %s: %s", filePath.c_str(),
                        image.error.c_str());
        return false;
    }
    pixels = std::move(image.pixels);
    width = static_cast<std::uint16_t>(image.width);
    height = static_cast<std::uint16_t>(image.height);
    return true;
}

void Texture::upload() {
    id = renderer.genTexture();
    renderer.bindTexture(id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (!pixels.empty() && maxSide > 0 && (width > maxSide || height > maxSide)) {
        writeDiagnostic(stderr,
                        "Could not load texture: %s: %d x %d pixels, over this GL's %d-pixel "
                        "largest texture side",
                        path.c_str(), int{width}, int{height}, static_cast<int>(maxSide));
        freePixels();
    }
    if (pixels.empty()) {
        // A texture that failed to load shows as opaque magenta instead of leaving later
        // binds and draws with an undefined texture.
        static const std::uint8_t magenta[4] = {255, 0, 255, 255};
        width = 1;
        height = 1;
        internalFormat = GL_RGBA;
        format = GL_RGBA;
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 1, 1, 0, format, GL_UNSIGNED_BYTE, magenta);
        return;
    }
    // The decoders pad BGR rows to 4 bytes, matching GL's default unpack alignment, which is
    // left untouched.
    renderer.uploadTexture(internalFormat, width, height, format, pixels.data());
}

void Texture::freePixels() {
    pixels.clear();
    pixels.shrink_to_fit();
}

void Texture::bind() const { renderer.bindTexture(id); }

void Texture::setFiltering(bool linear) {
    bind();
    const GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void Texture::setWrap(int mode) {
    static const GLint modes[4] = {GL_MIRRORED_REPEAT, GL_REPEAT, GL_CLAMP_TO_EDGE,
                                   GL_CLAMP_TO_BORDER};
    bind();
    if (mode < 0 || mode > 3) {
        return;
    }
    const GLint wrap = renderer.wrapMode(modes[mode]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}
