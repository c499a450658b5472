// Fuzz target: the mesh document reader, then poses of whatever animation it kept.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "assets/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Mesh mesh;
    if (!mesh.parseJson(reinterpret_cast<const char*>(data), size, "fuzz.json")) {
        return 0;
    }
    // What the GPU side relies on after a successful load: at least one colour and one uv
    // per vertex (longer lists are kept), counts that match the arrays.
    const std::size_t vertexCount = mesh.getVertices().size() / 3;
    if (mesh.getColors().size() < 3 * vertexCount || mesh.getUvs().size() < 2 * vertexCount ||
        mesh.getIndices().size() % 3 != 0 ||
        mesh.getVertexFloatCount() != static_cast<int>(mesh.getVertices().size()) ||
        mesh.getColorFloatCount() != static_cast<int>(mesh.getColors().size()) ||
        mesh.getUvFloatCount() != static_cast<int>(mesh.getUvs().size())) {
        __builtin_trap();
    }
    for (std::uint16_t index : mesh.getIndices()) {
        if (index >= vertexCount) {
            __builtin_trap();
        }
    }
    MeshAnimation* animation = mesh.getAnimation();
    if (animation != nullptr) {
        const float times[] = {-1.0f,
                               0.0f,
                               0.25f,
                               0.5f,
                               1.0f,
                               1.5f,
                               3.0f,
                               1e30f,
                               std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity()};
        for (unsigned index = 0; index <= animation->getAnimationCount() && index < 8; ++index) {
            for (float time : times) {
                animation->update(index, time);
            }
        }
        animation->update(65535u, 1.0f);
    }
    return 0;
}
