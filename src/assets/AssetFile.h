// AssetFile: the whole content of one asset file in memory, and the asset readers' reporting.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What one kind of asset file may be: the most bytes its reader takes and the bytes it must
// start with. The budgets are generous for the game's data (its largest file is under 200 KB)
// and keep a damaged or hostile file from costing more than a few hundred megabytes.
// NOTE: the JSON parser touches up to about 12 bytes per byte of a document of bare numbers,
// so the document budgets bound its peak too: 32 MiB, some 400 MB at worst. A mesh of
// 65,536 vertices (all that 16-bit indices address) with two keyframes is about 25 MB.
struct AssetKind {
    const char* what;            // "a shader", as the refusals name it
    std::uint64_t budget;        // largest file size accepted, in bytes
    std::string_view signature;  // required first bytes; empty: any

    static const AssetKind shader;            // GLSL source text: 1 MiB
    static const AssetKind meshDocument;      // mesh JSON: 32 MiB
    static const AssetKind binaryMesh;        // binary mesh: 64 MiB
    static const AssetKind colliderDocument;  // collider JSON: 16 MiB
    static const AssetKind bmpImage;          // 24-bit BMP ("BM"): 64 MiB
    static const AssetKind pngImage;          // PNG (its 8-byte signature): 64 MiB
    // Decoded pixels of one texture, 4 bytes a pixel at most: 64 MiB, a 4096 x 4096 RGBA
    // picture. Passed to the decoders, which refuse larger images before reading any row.
    static constexpr std::uint64_t decodedImageBudget = std::uint64_t{64} << 20;
};

// The operating system's calls the reader makes (Platform.h's, and fstat), in one table so that
// tests can put the faults a real file system gives only rarely in their way: an interrupted or
// short read, a failed one, a file that changes between the checks. The game never replaces it.
struct AssetFileCalls {
    int (*statFile)(const char* path, struct stat* status);
    int (*openFile)(const char* path);
    int (*statOpenFile)(int fd, struct stat* status);
    long long (*readFile)(int fd, void* out, std::size_t count);

    static const AssetFileCalls platform;
};

// The bytes are followed by zeroed padding so a JSON parser may read a little past the end
// without a copy (the readers in this folder rely on it).
class AssetFile {
public:
    // Bytes of padding kept after the content; at least what the JSON parser asks for.
    static const std::size_t padding;
    // The calls every read goes through: AssetFileCalls::platform unless a test replaced them.
    static AssetFileCalls systemCalls;

    // True when path holds ".json" starting at its second character or later: a name that is
    // only ".json..." from its first character does not count.
    static bool isJsonPath(const std::string& path);
    // Writes "path: problem" as one flushed line on standard error.
    static void report(const std::string& path, const std::string& problem);

    // Reads a regular file of that kind whole. Anything else (a directory, a FIFO, a device,
    // a socket) is refused before it is opened, so a read never blocks; a file over the
    // kind's budget or without its signature is refused before its content is read. On
    // failure returns false and says why in problem. Never throws.
    bool read(const std::string& path, const AssetKind& kind, std::string& problem);
    // The same, reporting a failure itself as "path: problem".
    bool readOrReport(const std::string& path, const AssetKind& kind);

    const char* getData() const { return bytes.data(); }
    std::size_t getSize() const { return size; }

private:
    bool readOpen(int fd, const AssetKind& kind, std::string& problem);

    std::vector<char> bytes;  // size + padding, padding zeroed
    std::size_t size = 0;
};
