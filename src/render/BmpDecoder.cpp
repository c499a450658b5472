// BmpDecoder: header checks and row copying for uncompressed 24-bit BMP files.
#include "render/BmpDecoder.h"

#include <cstring>
#include <string>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;  // BITMAPINFOHEADER; later versions extend it

std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

std::uint16_t readU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::int32_t readS32(const std::uint8_t* p) {
    const std::uint32_t u = readU32(p);
    std::int32_t s;
    std::memcpy(&s, &u, sizeof s);
    return s;
}

// Where the rows are and how they are laid out, once every header field has been checked
// against the real size of the file.
struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;           // negative height: first stored row is the top one
    std::uint64_t pixelOffset = 0;  // of the first stored row
    std::uint64_t stride = 0;       // bytes per stored row, padding included
    std::string error;
};

BmpLayout readLayout(const std::uint8_t* data, std::size_t size) {
    BmpLayout layout;
    if (data == nullptr || size < fileHeaderSize + infoHeaderSize) {
        layout.error = "file too short for BMP headers";
        return layout;
    }
    if (data[0] != 'B' || data[1] != 'M') {
        layout.error = "not a BMP file";
        return layout;
    }
    const std::uint64_t pixelOffset = readU32(data + 10);
    const std::uint8_t* info = data + fileHeaderSize;
    const std::uint64_t infoSize = readU32(info);
    if (infoSize < infoHeaderSize) {
        layout.error = "unsupported BMP header of " + std::to_string(infoSize) + " bytes";
        return layout;
    }
    if (fileHeaderSize + infoSize > size) {
        layout.error = "BMP header runs past the end of the file";
        return layout;
    }
    const std::int64_t width = readS32(info + 4);
    const std::int64_t height = readS32(info + 8);
    const std::uint16_t planes = readU16(info + 12);
    const std::uint16_t bitsPerPixel = readU16(info + 14);
    const std::uint32_t compression = readU32(info + 16);
    const std::int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || width > maxImageSide || rows > maxImageSide) {
        layout.error =
            "unsupported image size " + std::to_string(width) + " x " + std::to_string(height);
        return layout;
    }
    if (planes != 1) {
        layout.error = std::to_string(planes) + " colour planes";
        return layout;
    }
    if (bitsPerPixel != 24) {
        layout.error = std::to_string(bitsPerPixel) + " bits per pixel, only 24 are read";
        return layout;
    }
    if (compression != 0) {
        layout.error = "compressed pixel data (method " + std::to_string(compression) + ")";
        return layout;
    }
    // NOTE: the image size field is not trusted: writers leave it 0 or fill it loosely, and
    // the rows' real extent follows from the width and height alone.
    if (pixelOffset < fileHeaderSize + infoSize || pixelOffset > size) {
        layout.error = "pixel data offset " + std::to_string(pixelOffset) + " outside the file";
        return layout;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
    if (stride * static_cast<std::uint64_t>(rows) > size - pixelOffset) {
        layout.error = "file ends before its " + std::to_string(rows) + " pixel rows";
        return layout;
    }
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(rows);
    layout.topDown = height < 0;
    layout.pixelOffset = pixelOffset;
    layout.stride = stride;
    return layout;
}

// The stored row that holds picture row y counted from the bottom.
const std::uint8_t* storedRow(const std::uint8_t* data, const BmpLayout& layout, std::uint32_t y) {
    const std::uint64_t index = layout.topDown ? layout.height - 1 - y : y;
    return data + layout.pixelOffset + index * layout.stride;
}

// Gives the image the layout's size, or its error; true when the rows can be copied.
bool takeLayout(const BmpLayout& layout, Image& image) {
    if (!layout.error.empty()) {
        image.error = layout.error;
        return false;
    }
    image.width = layout.width;
    image.height = layout.height;
    return true;
}

}  // namespace

Image decodeBmp(const std::uint8_t* data, std::size_t size) {
    Image image;
    const BmpLayout layout = readLayout(data, size);
    if (!takeLayout(layout, image)) {
        return image;
    }
    // The rows lie inside the file, so their bytes fit in a size_t (32 bits on wasm32).
    const auto stride = static_cast<std::size_t>(layout.stride);
    image.pixels.resize(stride * layout.height);
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        std::memcpy(image.pixels.data() + y * stride, storedRow(data, layout, y), stride);
    }
    return image;
}

Image decodeBmpToBgra(const std::uint8_t* data, std::size_t size) {
    Image image;
    const BmpLayout layout = readLayout(data, size);
    if (!takeLayout(layout, image)) {
        return image;
    }
    image.pixels.resize(static_cast<std::size_t>(std::uint64_t{layout.width} * layout.height * 4));
    std::uint8_t* out = image.pixels.data();
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        const std::uint8_t* in = storedRow(data, layout, y);
        for (std::uint32_t x = 0; x < layout.width; ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = in[2];
        }
    }
    return image;
}
