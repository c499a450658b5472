// Fuzz target: the binary mesh reader.
#include <cstddef>
#include <cstdint>

#include "assets/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Mesh mesh;
    if (!mesh.parseBinary(data, size, "fuzz.bin")) {
        return 0;
    }
    const std::size_t vertexCount = mesh.getVertices().size() / 3;
    if (mesh.getColors().size() != 3 * vertexCount || mesh.getUvs().size() != 2 * vertexCount ||
        static_cast<std::size_t>(mesh.getIndexCount()) != mesh.getIndices().size()) {
        __builtin_trap();
    }
    for (std::uint16_t index : mesh.getIndices()) {
        if (index >= vertexCount) {
            __builtin_trap();
        }
    }
    return 0;
}
