// AssetFile: the whole content of one asset file in memory, and the asset readers' reporting.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The bytes are followed by zeroed padding so a JSON parser may read a little past the end
// without a copy (the readers in this folder rely on it).
class AssetFile {
public:
    // Bytes of padding kept after the content; at least what the JSON parser asks for.
    static const std::size_t padding;

    // True when path holds ".json" starting at its second character or later: a name that is
    // only ".json..." from its first character does not count.
    static bool isJsonPath(const std::string& path);
    // Writes "path: problem" as one flushed line on standard error.
    static void report(const std::string& path, const std::string& problem);

    // Reads the file in binary mode. On failure returns false and says why in problem.
    bool read(const std::string& path, std::string& problem);
    // The same, reporting a failure itself as "path: problem".
    bool readOrReport(const std::string& path);

    const char* getData() const { return bytes.data(); }
    std::size_t getSize() const { return size; }

private:
    std::vector<char> bytes;  // size + padding, padding zeroed
    std::size_t size = 0;
};
