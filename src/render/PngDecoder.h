// PngDecoder: PNG bytes of any colour type, bit depth or interlace to 8-bit RGBA pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/Image.h"

// Red, green, blue, alpha bytes, rows bottom-up (the image's top row last), width x height x 4
// bytes. Palette, grey and 16-bit images are expanded; an 8-bit RGBA file's bytes come out
// unchanged. A damaged stream gives an error, never an abort.
Image decodePng(const std::uint8_t* data, std::size_t size);
// The same with a bound on the decoded pixels: an image whose width x height x 4 bytes pass
// maxPixelBytes is refused from its header, before any row is read. The two-argument form
// uses the asset budget for decoded images.
Image decodePng(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixelBytes);
