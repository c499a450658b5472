// Mesh (CPU side): the mesh document and binary mesh readers and the editing operations.
#include "assets/Mesh.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/Diagnostics.h"
#include "assets/AssetFile.h"
#include "assets/JsonList.h"

namespace {

const char* const positionNames[] = {"x", "y", "z"};
const char* const colorNames[] = {"r", "g", "b"};
const char* const uvNames[] = {"u", "v"};
const char* const indexNames[] = {"a", "b", "c"};

bool findList(simdjson::dom::object model, const char* name, simdjson::dom::element& list,
              std::string& problem) {
    if (model.at_key(name).get(list) != simdjson::SUCCESS) {
        problem = std::string("\"model\" has no \"") + name + "\"";
        return false;
    }
    return true;
}

std::string sizeMismatch(const char* name, std::size_t size, std::size_t vertexCount) {
    return std::string("\"") + name + "\" has " + std::to_string(size) +
           " entries but \"vertices\" has " + std::to_string(vertexCount);
}

// "index N is past the V vertices", N as the file wrote it; when that is not the stored
// value (negative, or 65,536 and up) the stored one follows.
std::string indexPastVertices(std::int64_t written, std::uint16_t stored, std::size_t vertexCount) {
    std::string text = "index " + std::to_string(written) + " is past the " +
                       std::to_string(vertexCount) + " vertices";
    if (written != stored) {
        text += " (stored modulo 65536 as " + std::to_string(stored) + ")";
    }
    return text;
}

std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t readI32(const std::uint8_t* p) {
    const std::uint32_t bits = readU32(p);
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void readFloats(const std::uint8_t* p, std::vector<float>& out) {
    for (float& value : out) {
        const std::uint32_t bits = readU32(p);
        std::memcpy(&value, &bits, sizeof value);
        p += 4;
    }
}

// Fills the four arrays from one "model" value, checking that "uvs" and "colors" hold at
// least one entry per vertex and that every index (modulo 65,536) names a vertex, since the
// GPU side reads V of each.
bool readModel(simdjson::dom::element model, std::vector<float>& vertices, std::vector<float>& uvs,
               std::vector<float>& colors, std::vector<std::uint16_t>& indices,
               std::string& problem) {
    simdjson::dom::object object;
    if (model.get_object().get(object) != simdjson::SUCCESS) {
        problem = "\"model\" is not an object";
        return false;
    }
    simdjson::dom::element vertexList, uvList, colorList, indexList;
    if (!findList(object, "vertices", vertexList, problem) ||
        !findList(object, "uvs", uvList, problem) ||
        !findList(object, "colors", colorList, problem) ||
        !findList(object, "indices", indexList, problem)) {
        return false;
    }
    const JsonList vertexEntries(vertexList), uvEntries(uvList), colorEntries(colorList),
        indexEntries(indexList);
    const std::size_t vertexCount = vertexEntries.size();
    const std::size_t triangleCount = indexEntries.size();
    // NOTE: longer "uvs" or "colors" lists are read whole and their counts follow their own
    // entries, as the counts always have; the GPU side takes V entries of each, so the extra
    // ones are never drawn. Shorter lists would leave it reading past them.
    if (uvEntries.size() < vertexCount) {
        problem = sizeMismatch("uvs", uvEntries.size(), vertexCount);
        return false;
    }
    if (colorEntries.size() < vertexCount) {
        problem = sizeMismatch("colors", colorEntries.size(), vertexCount);
        return false;
    }
    if (uvEntries.size() > INT_MAX / 2 || colorEntries.size() > INT_MAX / 3 ||
        vertexCount > INT_MAX / 3 || triangleCount > INT_MAX / 3) {
        problem = "too many entries";
        return false;
    }
    vertices.clear();
    uvs.clear();
    colors.clear();
    indices.clear();
    if (!vertexEntries.readFloats("vertices", positionNames, vertices, problem) ||
        !uvEntries.readFloats("uvs", uvNames, uvs, problem) ||
        !colorEntries.readFloats("colors", colorNames, colors, problem)) {
        return false;
    }
    return indexEntries.forEach([&](std::size_t k, simdjson::dom::element value) {
        const JsonEntry entry(value, "indices", k);
        std::int64_t numbers[3];
        // Indices are read as integers: a fraction is dropped toward zero, 1.5 giving 1.
        if (!entry.check(problem) || !entry.getTruncatedIntegers(indexNames, numbers, problem)) {
            return false;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            // Stored modulo 65,536 (two's complement, so -1 becomes 65,535).
            const auto index = static_cast<std::uint16_t>(static_cast<std::uint64_t>(numbers[i]));
            if (index >= vertexCount) {
                problem = indexPastVertices(numbers[i], index, vertexCount);
                return false;
            }
            indices.push_back(index);
        }
        return true;
    });
}

}  // namespace

Mesh::~Mesh() { release(); }

bool Mesh::load(const std::string& path) {
    return AssetFile::isJsonPath(path) ? loadJson(path) : loadBinary(path);
}

bool Mesh::loadJson(const std::string& path) {
    AssetFile file;
    if (!file.readOrReport(path, AssetKind::meshDocument)) {
        clear();
        return false;
    }
    return readJson(file.getData(), file.getSize(), true, path);
}

bool Mesh::parseJson(const char* text, std::size_t size, const std::string& name) {
    return readJson(text, size, false, name);
}

bool Mesh::readJson(const char* text, std::size_t size, bool padded, const std::string& name) {
    bool ok = false;
    try {
        ok = readDocument(text, size, padded, name);
    } catch (const std::bad_alloc&) {
        clear();
        AssetFile::report(name, "too large to hold in memory");
    }
    JsonList::trimParser();
    return ok;
}

bool Mesh::readDocument(const char* text, std::size_t size, bool padded, const std::string& name) {
    clear();
    std::string problem;
    simdjson::dom::object members;
    JsonList::parseTopLevel(text, size, padded, members, problem);

    // Members in document order; a repeated "model" replaces the geometry read before it and
    // a repeated "animations" replaces the earlier one, as reading them in turn would.
    bool haveModel = false;
    simdjson::dom::element animations;
    bool haveAnimations = false;
    if (problem.empty()) {
        for (simdjson::dom::key_value_pair member : members) {
            if (member.key == "model") {
                haveModel = true;
                if (!readModel(member.value, vertices, uvs, colors, indices, problem)) {
                    break;
                }
            } else if (member.key == "animations") {
                animations = member.value;
                haveAnimations = true;
            }
        }
        if (problem.empty() && !haveModel) {
            problem = "there is no \"model\"";
        }
    }
    if (!problem.empty()) {
        clear();
        AssetFile::report(name, problem);
        return false;
    }
    updateCounts();

    if (haveAnimations) {
        // NOTE: a bad animation costs only the animation: the geometry is sound and the game
        // draws meshes from their static arrays anyway.
        animation = std::make_unique<MeshAnimation>();
        const std::size_t meshVertices = vertices.size() / 3;
        if (!animation->load(JsonList(animations), problem)) {
            animation.reset();
        } else if (static_cast<std::size_t>(animation->getVertexCount()) != meshVertices) {
            problem = "its keyframes have " + std::to_string(animation->getVertexCount()) +
                      " vertices but the mesh has " + std::to_string(meshVertices);
            animation.reset();
        }
        if (!animation) {
            AssetFile::report(name, "animation dropped: " + problem);
        }
    }
    return true;
}

bool Mesh::loadBinary(const std::string& path) {
    AssetFile file;
    if (!file.readOrReport(path, AssetKind::binaryMesh)) {
        clear();
        return false;
    }
    return parseBinary(reinterpret_cast<const std::uint8_t*>(file.getData()), file.getSize(), path);
}

bool Mesh::parseBinary(const std::uint8_t* bytes, std::size_t size, const std::string& name) {
    clear();
    std::string problem;
    std::int32_t v = 0;
    std::int32_t t = 0;
    if (size < 8) {
        problem = "the file ends inside the header (" + std::to_string(size) + " bytes)";
    } else {
        v = readI32(bytes);
        t = readI32(bytes + 4);
        if (v < 0 || t < 0) {
            problem = "negative count: " + std::to_string(v) + " vertices, " + std::to_string(t) +
                      " triangles";
        }
    }
    // Block ends in 64 bits: with V and T below 2^31 none of these can overflow, and nothing
    // is allocated before the file is known to hold every block.
    const std::uint64_t vertexCount = v < 0 ? 0 : static_cast<std::uint64_t>(v);
    const std::uint64_t triangleCount = t < 0 ? 0 : static_cast<std::uint64_t>(t);
    const std::uint64_t ends[4] = {8 + 12 * vertexCount, 8 + 24 * vertexCount, 8 + 32 * vertexCount,
                                   8 + 32 * vertexCount + 6 * triangleCount};
    const char* const blocks[4] = {"positions", "colours", "texture coordinates", "indices"};
    for (std::size_t b = 0; b < 4 && problem.empty(); ++b) {
        if (ends[b] > size) {
            problem = "the file ends inside the " + std::string(blocks[b]) +
                      " block: " + std::to_string(v) + " vertices and " + std::to_string(t) +
                      " triangles need " + std::to_string(ends[3]) + " bytes, the file has " +
                      std::to_string(size);
        }
    }
    if (problem.empty() && (v > INT_MAX / 3 || t > INT_MAX / 3)) {
        problem = "too many vertices or triangles";
    }
    if (problem.empty()) {
        // Every block lies inside the file, so each count fits in a size_t (32 bits on wasm32).
        vertices.resize(static_cast<std::size_t>(3 * vertexCount));
        colors.resize(static_cast<std::size_t>(3 * vertexCount));
        uvs.resize(static_cast<std::size_t>(2 * vertexCount));
        indices.resize(static_cast<std::size_t>(3 * triangleCount));
        readFloats(bytes + 8, vertices);
        readFloats(bytes + static_cast<std::size_t>(ends[0]), colors);
        readFloats(bytes + static_cast<std::size_t>(ends[1]), uvs);
        const std::uint8_t* p = bytes + static_cast<std::size_t>(ends[2]);
        for (std::uint16_t& index : indices) {
            index = static_cast<std::uint16_t>(p[0] | p[1] << 8);
            p += 2;
            if (index >= vertexCount && problem.empty()) {
                problem = indexPastVertices(index, index, static_cast<std::size_t>(vertexCount));
            }
        }
    }
    if (!problem.empty()) {
        clear();
        AssetFile::report(name, problem);
        return false;
    }
    updateCounts();
    // Only the marker's presence is tested; the file carries no animation data that is read.
    writeDiagnostic(stdout, "%s", size - ends[3] >= 2 ? "des anims!" : "pas d'anim");
    return true;
}

void Mesh::addVertex(float x, float y, float z) { vertices.insert(vertices.end(), {x, y, z}); }
void Mesh::addColor(float r, float g, float b) { colors.insert(colors.end(), {r, g, b}); }
void Mesh::addTriangle(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    indices.insert(indices.end(), {a, b, c});
}
void Mesh::addUv(float u, float v) { uvs.insert(uvs.end(), {u, v}); }

void Mesh::setUv(std::size_t i, float u, float v) {
    // NOTE: an index past the uvs is ignored rather than written through.
    if (i >= uvs.size() / 2) {
        return;
    }
    uvs[2 * i] = u;
    uvs[2 * i + 1] = v;
}

void Mesh::updateCounts() {
    vertexFloatCount = static_cast<int>(vertices.size());
    colorFloatCount = static_cast<int>(colors.size());
    indexCount = static_cast<int>(indices.size());
    uvFloatCount = static_cast<int>(uvs.size());
}

void Mesh::setCounts(int vertexFloats, int colorFloats, int indexTotal, int uvFloats) {
    vertexFloatCount = vertexFloats;
    colorFloatCount = colorFloats;
    indexCount = indexTotal;
    uvFloatCount = uvFloats;
}

void Mesh::clear() {
    vertices.clear();
    colors.clear();
    indices.clear();
    uvs.clear();
    updateCounts();
    animation.reset();
}
