// Image: pixels decoded from an image file, or the reason they could not be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Larger sides are refused by every decoder: GL implementations stop at 16384, and the
// texture keeps its sides in 16 bits.
constexpr std::uint32_t maxImageSide = 16384;

struct Image {
    std::vector<std::uint8_t> pixels;  // rows bottom-up; the layout is the decoder's
    std::uint32_t width = 0;           // pixels per row
    std::uint32_t height = 0;          // rows
    std::string error;                 // why decoding failed; empty on success

    bool isValid() const { return error.empty(); }
};
