// Mesh (GPU side): putting a mesh's arrays into the renderer's buffers and drawing it.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/Renderer.h"
#include "assets/Mesh.h"
#include "render/ShaderProgram.h"

namespace {

// The first `wanted` floats of `source` when it holds that many; otherwise a zero-padded
// copy in `padded`, so GL never reads past the end of a CPU array.
const float* atLeast(const std::vector<float>& source, std::size_t wanted,
                     std::vector<float>& padded) {
    if (source.size() >= wanted) {
        return source.data();
    }
    padded.assign(wanted, 0.0f);
    std::copy(source.begin(), source.end(), padded.begin());
    return padded.data();
}

// A count clamped to what the array really holds.
std::int64_t heldCount(int count, std::size_t held) {
    return std::min<std::int64_t>(std::max(count, 0), static_cast<std::int64_t>(held));
}

}  // namespace

void Mesh::upload() {
    // Uploading again replaces the previous buffers instead of leaking them.
    release();

    const auto vertexCount =
        static_cast<unsigned>(heldCount(vertexFloatCount, vertices.size()) / 3);
    std::vector<float> paddedUvs;
    std::vector<float> paddedColors;
    const std::uint8_t components[3] = {3, 2, 3};
    const float* arrays[3] = {
        vertices.data(),
        atLeast(uvs, std::size_t{vertexCount} * 2, paddedUvs),
        atLeast(colors, std::size_t{vertexCount} * 3, paddedColors),
    };
    bufferSet = renderer.createBufferSet(vertexCount, components, arrays, 3);
    indexBuffer = renderer.createIndexBuffer(
        static_cast<int>(heldCount(indexCount, indices.size())), indices.data());
    vertexArray = renderer.createVertexArray(bufferSet, indexBuffer);

    if (animation) {
        poseVertexBuffer = renderer.createBuffer();
        renderer.uploadArrayBuffer(poseVertexBuffer, vertices.data(),
                                   heldCount(vertexFloatCount, vertices.size()));
        poseColorBuffer = renderer.createBuffer();
        renderer.uploadArrayBuffer(poseColorBuffer, colors.data(),
                                   heldCount(colorFloatCount, colors.size()));
        poseUvBuffer = renderer.createBuffer();
        renderer.uploadArrayBuffer(poseUvBuffer, uvs.data(), heldCount(uvFloatCount, uvs.size()));
    }
}

void Mesh::release() {
    // Handles are -1 until upload, so a mesh that was never uploaded deletes nothing.
    renderer.deleteVertexArray(vertexArray);
    renderer.deleteBufferSet(bufferSet);
    renderer.deleteBuffer(indexBuffer);
    renderer.deleteBuffer(poseVertexBuffer);
    renderer.deleteBuffer(poseColorBuffer);
    renderer.deleteBuffer(poseUvBuffer);
    bufferSet = -1;
    indexBuffer = -1;
    poseVertexBuffer = -1;
    poseColorBuffer = -1;
    poseUvBuffer = -1;
    vertexArray = 0;
}

void Mesh::draw(const Matrix4& modelView) {
    ShaderProgram* program = ShaderProgram::current;
    if (program == nullptr || !isUploaded()) {
        return;
    }
    program->setUniformMatrix4("mvMat", modelView);
    // NOTE: a program without inVertex draws nothing (see ShaderProgram::isDrawable).
    if (!program->isDrawable() || renderer.getBuffer(indexBuffer) == 0 || indexCount <= 0) {
        return;
    }
    renderer.bindMesh(bufferSet, indexBuffer, vertexArray);
    renderer.drawTriangles(indexCount);
}
