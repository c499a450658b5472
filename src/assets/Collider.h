// Collider: two-dimensional collision shapes (points joined by segments, and circles).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace simdjson::dom {
class element;
}

// Parallel arrays, one per coordinate (structure of arrays); positions in level units.
class Collider {
public:
    Collider() = default;

    // Reads a collider document when path contains ".json" at position 1 or later; any other
    // path changes nothing and returns true (there is no other collider format). A document
    // without "collider" gives an empty collider. On a problem: one line on standard error
    // naming the file and the problem, the collider left empty, and false.
    bool load(const std::string& path);
    // The document reader on text already in memory; name stands for the file in the line.
    bool parse(const char* text, std::size_t size, const std::string& name);
    void clear();

    int getCircleCount() const { return circleCount; }
    int getSegmentCount() const { return segmentCount; }
    int getVertexCount() const { return vertexCount; }
    // i must be below the matching count; not checked.
    float getCircleX(int i) const { return circleX[static_cast<std::size_t>(i)]; }
    float getCircleY(int i) const { return circleY[static_cast<std::size_t>(i)]; }
    float getCircleRadius(int i) const { return circleRadius[static_cast<std::size_t>(i)]; }
    // End points of segment i ("a" then "b"); i must be below getSegmentCount(). The point
    // indices were checked against the points when the document was read.
    void segment(int i, float& x1, float& y1, float& x2, float& y2) const;
    const std::vector<int>& getSegments() const { return segments; }

private:
    bool readText(const char* text, std::size_t size, bool padded, const std::string& name);
    // Replaces the shapes with those of one "collider" value; on a problem leaves them as
    // they were and says why.
    bool readShapes(const simdjson::dom::element& value, std::string& problem);

    std::vector<float> circleX;
    std::vector<float> circleY;
    std::vector<float> circleRadius;
    std::vector<float> vertexX;
    std::vector<float> vertexY;
    int circleCount = 0;
    int segmentCount = 0;
    std::vector<int> segments;  // two point indices per segment: "a", then "b"
    int vertexCount = 0;
};
