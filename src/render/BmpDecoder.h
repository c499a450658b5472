// BmpDecoder: uncompressed 24-bit BMP bytes to pixels, as BGR rows or as BGRA.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/Image.h"

// Pixels as the file stores them: blue, green, red, each row padded to a multiple of 4 bytes
// (GL's default unpack alignment), rows bottom-up whatever the file's row order.
// Size: (width x 3 rounded up to 4) x height.
Image decodeBmp(const std::uint8_t* data, std::size_t size);

// Blue, green, red, alpha with alpha a copy of red (white glyphs opaque, black clear), no
// row padding, rows bottom-up. Size: width x height x 4.
Image decodeBmpToBgra(const std::uint8_t* data, std::size_t size);
