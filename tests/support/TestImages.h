// TestImages: BMP and PNG files built in memory for the decoder and texture tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 24-bit BMP of the given picture. bgr holds width x height pixels, blue-green-red, top row
// first. headerSize 40, 108 or 124; topDown stores a negative height and the rows top first.
// zeroImageSize leaves the image size field 0, as some writers do. Row padding is 0xEE.
struct BmpOptions {
    std::uint32_t headerSize = 40;
    bool topDown = false;
    bool zeroImageSize = false;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
};
std::vector<std::uint8_t> makeBmp(int width, int height, const std::vector<std::uint8_t>& bgr,
                                  const BmpOptions& options = BmpOptions());

// A PNG written by libpng: rows top first, samples as libpng takes them for the colour type
// and bit depth (16-bit samples big-endian). palette/trns are used for palette images.
struct PngOptions {
    int colorType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> palette;  // r, g, b triples
    std::vector<std::uint8_t> trns;     // alpha per palette entry
};
std::vector<std::uint8_t> makePng(int width, int height, const std::vector<std::uint8_t>& rows,
                                  const PngOptions& options = PngOptions());

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);
