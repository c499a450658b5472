// TestImages: the BMP byte layout and a libpng writer into memory.
#include "support/TestImages.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

void putU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    putU16(out, at, v & 0xffff);
    putU16(out, at + 2, v >> 16);
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

}  // namespace

std::vector<std::uint8_t> makeBmp(int width, int height, const std::vector<std::uint8_t>& bgr,
                                  const BmpOptions& options) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t offset = 14 + options.headerSize;
    const std::size_t imageSize = stride * height;
    std::vector<std::uint8_t> out(offset + imageSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out, 2, static_cast<std::uint32_t>(out.size()));
    putU32(out, 10, static_cast<std::uint32_t>(offset));
    putU32(out, 14, options.headerSize);
    putU32(out, 18, static_cast<std::uint32_t>(width));
    putU32(out, 22, static_cast<std::uint32_t>(options.topDown ? -height : height));
    putU16(out, 26, 1);
    putU16(out, 28, options.bitsPerPixel);
    putU32(out, 30, options.compression);
    putU32(out, 34, options.zeroImageSize ? 0 : static_cast<std::uint32_t>(imageSize));
    for (int row = 0; row < height; ++row) {
        // Stored bottom row first unless top-down; padding bytes marked 0xEE to be seen.
        const int stored = options.topDown ? row : height - 1 - row;
        std::uint8_t* dst = out.data() + offset + stored * stride;
        std::memcpy(dst, bgr.data() + static_cast<std::size_t>(row) * width * 3,
                    static_cast<std::size_t>(width) * 3);
        for (std::size_t pad = static_cast<std::size_t>(width) * 3; pad < stride; ++pad) {
            dst[pad] = 0xEE;
        }
    }
    return out;
}

std::vector<std::uint8_t> makePng(int width, int height, const std::vector<std::uint8_t>& rows,
                                  const PngOptions& options) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot write test PNG");
    }
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, width, height, options.bitDepth, options.colorType,
                 options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < options.palette.size(); i += 3) {
        palette.push_back({options.palette[i], options.palette[i + 1], options.palette[i + 2]});
    }
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!options.trns.empty()) {
        png_set_tRNS(png, info, options.trns.data(), static_cast<int>(options.trns.size()),
                     nullptr);
    }
    png_write_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> pointers(height);
    for (int y = 0; y < height; ++y) {
        pointers[y] = const_cast<png_bytep>(rows.data() + y * rowBytes);
    }
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}
