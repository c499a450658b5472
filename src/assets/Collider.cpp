// Collider: the collider document reader and the shape accessors.
#include "assets/Collider.h"

#include <climits>
#include <cstdint>
#include <new>
#include <utility>

#include "assets/AssetFile.h"
#include "assets/JsonList.h"

namespace {

const char* const pointNames[] = {"x", "y"};
const char* const circleNames[] = {"x", "y", "radius"};
const char* const segmentNames[] = {"a", "b"};

}  // namespace

bool Collider::load(const std::string& path) {
    if (!AssetFile::isJsonPath(path)) {
        return true;
    }
    AssetFile file;
    if (!file.readOrReport(path, AssetKind::colliderDocument)) {
        clear();
        return false;
    }
    return readText(file.getData(), file.getSize(), true, path);
}

bool Collider::parse(const char* text, std::size_t size, const std::string& name) {
    return readText(text, size, false, name);
}

void Collider::clear() { *this = Collider(); }

bool Collider::readText(const char* text, std::size_t size, bool padded, const std::string& name) {
    clear();
    std::string problem;
    simdjson::dom::object members;
    try {
        if (JsonList::parseTopLevel(text, size, padded, members, problem)) {
            // A repeated "collider" replaces the shapes read before it.
            for (simdjson::dom::key_value_pair member : members) {
                if (member.key == "collider" && !readShapes(member.value, problem)) {
                    break;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        problem = "too large to hold in memory";
    }
    JsonList::trimParser();
    if (!problem.empty()) {
        clear();
        AssetFile::report(name, problem);
        return false;
    }
    return true;
}

bool Collider::readShapes(const simdjson::dom::element& value, std::string& problem) {
    simdjson::dom::object shapes;
    if (value.get_object().get(shapes) != simdjson::SUCCESS) {
        problem = "\"collider\" is not an object";
        return false;
    }
    simdjson::dom::element lists[3];
    const char* const listNames[3] = {"vertices", "indices", "circles"};
    for (std::size_t l = 0; l < 3; ++l) {
        if (shapes.at_key(listNames[l]).get(lists[l]) != simdjson::SUCCESS) {
            problem = std::string("\"collider\" has no \"") + listNames[l] + "\"";
            return false;
        }
    }
    const JsonList points(lists[0]), pairs(lists[1]), circles(lists[2]);
    const std::size_t pointCount = points.size();
    const std::size_t circleTotal = circles.size();
    if (pointCount > INT_MAX || pairs.size() > INT_MAX / 2 || circleTotal > INT_MAX) {
        problem = "too many entries";
        return false;
    }
    // Filled as entries prove valid, never sized from the counts alone.
    std::vector<float> pointXy;
    std::vector<float> circleValues;
    std::vector<int> ends;
    if (!points.readFloats("vertices", pointNames, pointXy, problem) ||
        !circles.readFloats("circles", circleNames, circleValues, problem)) {
        return false;
    }
    const bool segmentsRead = pairs.forEach([&](std::size_t k, simdjson::dom::element entryValue) {
        const JsonEntry entry(entryValue, "indices", k);
        std::int64_t indices[2];
        // Read as integers, as the mesh reader reads its indices: 1.5 names point 1.
        if (!entry.check(problem) || !entry.getTruncatedIntegers(segmentNames, indices, problem)) {
            return false;
        }
        for (std::size_t e = 0; e < 2; ++e) {
            // NOTE: segment() addresses the points with these, so each must name one.
            if (indices[e] < 0 || static_cast<std::uint64_t>(indices[e]) >= pointCount) {
                problem = entry.describe() + ": point index " + std::to_string(indices[e]) +
                          " is outside the " + std::to_string(pointCount) + " points";
                return false;
            }
            ends.push_back(static_cast<int>(indices[e]));
        }
        return true;
    });
    if (!segmentsRead) {
        return false;
    }

    clear();
    vertexX.resize(pointCount);
    vertexY.resize(pointCount);
    for (std::size_t p = 0; p < pointCount; ++p) {
        vertexX[p] = pointXy[2 * p];
        vertexY[p] = pointXy[2 * p + 1];
    }
    circleX.resize(circleTotal);
    circleY.resize(circleTotal);
    circleRadius.resize(circleTotal);
    for (std::size_t c = 0; c < circleTotal; ++c) {
        circleX[c] = circleValues[3 * c];
        circleY[c] = circleValues[3 * c + 1];
        circleRadius[c] = circleValues[3 * c + 2];
    }
    segments = std::move(ends);
    vertexCount = static_cast<int>(pointCount);
    segmentCount = static_cast<int>(pairs.size());
    circleCount = static_cast<int>(circleTotal);
    return true;
}

void Collider::segment(int i, float& x1, float& y1, float& x2, float& y2) const {
    const std::size_t a = static_cast<std::size_t>(segments[2 * static_cast<std::size_t>(i)]);
    const std::size_t b = static_cast<std::size_t>(segments[2 * static_cast<std::size_t>(i) + 1]);
    x1 = vertexX[a];
    y1 = vertexY[a];
    x2 = vertexX[b];
    y2 = vertexY[b];
}
