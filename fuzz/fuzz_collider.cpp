// Fuzz target: the collider document reader and every accessor over what it read.
#include <cstddef>
#include <cstdint>

#include "assets/Collider.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Collider collider;
    if (!collider.parse(reinterpret_cast<const char*>(data), size, "fuzz.json")) {
        return 0;
    }
    volatile float sink = 0;
    for (int i = 0; i < collider.getSegmentCount(); ++i) {
        float x1, y1, x2, y2;
        collider.segment(i, x1, y1, x2, y2);
        sink = x1 + y1 + x2 + y2;
    }
    for (int i = 0; i < collider.getCircleCount(); ++i) {
        sink = collider.getCircleX(i) + collider.getCircleY(i) + collider.getCircleRadius(i);
    }
    (void)sink;
    return 0;
}
