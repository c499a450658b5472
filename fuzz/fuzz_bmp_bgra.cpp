// Fuzz target: the BMP-to-BGRA decoder on arbitrary bytes.
#include <cstdint>
#include <cstdlib>

#include "render/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Image image = decodeBmpToBgra(data, size);
    if (image.isValid()) {
        if (image.width == 0 || image.height == 0 ||
            image.pixels.size() != std::uint64_t{image.width} * image.height * 4) {
            std::abort();
        }
        for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
            if (image.pixels[i + 3] != image.pixels[i + 2]) {
                std::abort();
            }
        }
    } else if (!image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
