// AssetFile: reading an asset file whole, with padding, and reporting asset problems.
#include "assets/AssetFile.h"

#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/Diagnostics.h"
#include "app/Platform.h"

namespace {

constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;
constexpr char pngSignature[] = "\x89PNG\r\n\x1a\n";

// "a directory", "a FIFO", ... for a file type that is not a regular file.
const char* describeType(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "an unknown type of file";
}

std::string checkStatus(const struct stat& status, const AssetKind& kind) {
    if (!S_ISREG(status.st_mode)) {
        return std::string("not a regular file (") + describeType(status.st_mode) + ")";
    }
    const auto bytes = static_cast<std::uint64_t>(status.st_size);
    if (bytes > kind.budget) {
        return "file too large: " + std::to_string(bytes) + " bytes, over the " +
               std::to_string(kind.budget) + "-byte budget for " + kind.what;
    }
    return std::string();
}

int fstatFile(int fd, struct stat* status) { return ::fstat(fd, status); }

// Reads exactly count bytes unless the file ends first; returns how many arrived, or -1.
long long readFully(int fd, char* out, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const long long n = AssetFile::systemCalls.readFile(fd, out + got, count - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

}  // namespace

const AssetKind AssetKind::shader = {"a shader", 1 * mebibyte, {}};
const AssetKind AssetKind::meshDocument = {"a mesh document", 32 * mebibyte, {}};
const AssetKind AssetKind::binaryMesh = {"a binary mesh", 64 * mebibyte, {}};
const AssetKind AssetKind::colliderDocument = {"a collider document", 16 * mebibyte, {}};
const AssetKind AssetKind::bmpImage = {"a BMP", 64 * mebibyte, "BM"};
const AssetKind AssetKind::pngImage = {"a PNG", 64 * mebibyte,
                                       std::string_view(pngSignature, sizeof pngSignature - 1)};

const std::size_t AssetFile::padding = simdjson::SIMDJSON_PADDING;

// NOTE: both spelled out rather than one copied from the other, so both are constant-
// initialised and no static constructor can read a file before the table is filled.
const AssetFileCalls AssetFileCalls::platform = {statPath, openFileForReading, fstatFile,
                                                 readFromFile};
AssetFileCalls AssetFile::systemCalls = {statPath, openFileForReading, fstatFile, readFromFile};

bool AssetFile::isJsonPath(const std::string& path) {
    return path.find(".json", 1) != std::string::npos;
}

void AssetFile::report(const std::string& path, const std::string& problem) {
    writeDiagnostic(stderr, "%s: %s", path.c_str(), problem.c_str());
}

bool AssetFile::read(const std::string& path, const AssetKind& kind, std::string& problem) {
    bytes.clear();
    size = 0;
    try {
        // NOTE: the type is checked before the open: opening a FIFO for reading blocks until
        // a writer comes, and a device such as /dev/zero never ends.
        struct stat status;
        if (systemCalls.statFile(path.c_str(), &status) != 0) {
            problem = std::string("cannot open: ") + std::strerror(errno);
            return false;
        }
        problem = checkStatus(status, kind);
        if (!problem.empty()) {
            return false;
        }
        // Non-blocking, in case the path was swapped for a FIFO since the stat; the open file
        // is checked again, and that check is the one that counts.
        const int fd = systemCalls.openFile(path.c_str());
        if (fd < 0) {
            problem = std::string("cannot open: ") + std::strerror(errno);
            return false;
        }
        const bool ok = readOpen(fd, kind, problem);
        ::close(fd);
        if (!ok) {
            bytes.clear();
            bytes.shrink_to_fit();
            size = 0;
        }
        return ok;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        size = 0;
        problem = "file too large to hold in memory";
        return false;
    }
}

bool AssetFile::readOpen(int fd, const AssetKind& kind, std::string& problem) {
    struct stat status;
    if (systemCalls.statOpenFile(fd, &status) != 0) {
        problem = std::string("cannot take the file's size: ") + std::strerror(errno);
        return false;
    }
    problem = checkStatus(status, kind);
    if (!problem.empty()) {
        return false;
    }
    // Regular files never block; the flag only had to cover the open itself.
    setFileBlocking(fd);
    const auto want = static_cast<std::size_t>(status.st_size);
    // The signature first, so a large file of the wrong kind is not read whole. A file
    // shorter than the signature is left to its decoder, which says what is missing.
    const std::size_t head = want >= kind.signature.size() ? kind.signature.size() : 0;
    bytes.assign(head, 0);
    const long long gotHead = readFully(fd, bytes.data(), head);
    if (gotHead < 0) {
        problem = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    if (static_cast<std::size_t>(gotHead) != head) {
        problem = "read " + std::to_string(gotHead) + " of " + std::to_string(want) + " bytes";
        return false;
    }
    if (std::string_view(bytes.data(), head) != kind.signature.substr(0, head)) {
        problem = std::string("not ") + kind.what + " file";
        return false;
    }
    bytes.resize(want + padding, 0);
    const long long rest = readFully(fd, bytes.data() + head, want - head);
    if (rest < 0) {
        problem = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    const long long got = static_cast<long long>(head) + rest;
    if (static_cast<std::size_t>(got) != want) {
        // NOTE: a file that shrank while being read; anything short is unusable.
        problem = "read " + std::to_string(got) + " of " + std::to_string(want) + " bytes";
        return false;
    }
    size = want;
    return true;
}

bool AssetFile::readOrReport(const std::string& path, const AssetKind& kind) {
    std::string problem;
    if (read(path, kind, problem)) {
        return true;
    }
    report(path, problem);
    return false;
}
