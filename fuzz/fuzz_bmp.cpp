// Fuzz target: the BMP decoder on arbitrary bytes.
#include <cstdint>
#include <cstdlib>

#include "render/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Image image = decodeBmp(data, size);
    if (image.isValid()) {
        // What GL will read: padded BGR rows, never more than the buffer holds.
        const std::uint64_t stride = (std::uint64_t{image.width} * 3 + 3) / 4 * 4;
        if (image.width == 0 || image.height == 0 || image.width > maxImageSide ||
            image.height > maxImageSide || image.pixels.size() != stride * image.height) {
            std::abort();
        }
    } else if (!image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
