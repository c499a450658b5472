// Fuzz target: the PNG decoder on arbitrary bytes.
#include <cstdint>
#include <cstdlib>

#include "render/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Image image = decodePng(data, size);
    if (image.isValid()) {
        if (image.width == 0 || image.height == 0 || image.width > maxImageSide ||
            image.height > maxImageSide ||
            image.pixels.size() != std::uint64_t{image.width} * image.height * 4) {
            std::abort();
        }
    } else if (!image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
