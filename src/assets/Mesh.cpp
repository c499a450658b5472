// Mesh (CPU side): placeholder until the mesh readers land.
#include "assets/Mesh.h"

Mesh::~Mesh() { release(); }
bool Mesh::load(const std::string&) { return false; }
bool Mesh::loadJson(const std::string&) { return false; }
bool Mesh::loadBinary(const std::string&) { return false; }
void Mesh::addVertex(float x, float y, float z) { vertices.insert(vertices.end(), {x, y, z}); }
void Mesh::addColor(float r, float g, float b) { colors.insert(colors.end(), {r, g, b}); }
void Mesh::addTriangle(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    indices.insert(indices.end(), {a, b, c});
}
void Mesh::addUv(float u, float v) { uvs.insert(uvs.end(), {u, v}); }
void Mesh::setUv(std::size_t i, float u, float v) {
    uvs[2 * i] = u;
    uvs[2 * i + 1] = v;
}
void Mesh::updateCounts() {}
void Mesh::setCounts(int, int, int, int) {}
void Mesh::clear() {}
