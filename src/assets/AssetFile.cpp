// AssetFile: reading an asset file whole, with padding, and reporting asset problems.
#include "assets/AssetFile.h"

#include <simdjson.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

const std::size_t AssetFile::padding = simdjson::SIMDJSON_PADDING;

bool AssetFile::isJsonPath(const std::string& path) {
    return path.find(".json", 1) != std::string::npos;
}

void AssetFile::report(const std::string& path, const std::string& problem) {
    // One write per line, so lines from different loaders never interleave mid-line.
    const std::string line = path + ": " + problem + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

bool AssetFile::read(const std::string& path, std::string& problem) {
    bytes.clear();
    size = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        problem = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    bool ok = false;
    struct stat status;
    long end = -1;
    // NOTE: a directory opens fine and may claim an absurd size; only regular files are read.
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "not a regular file";
    } else if (std::fseek(file, 0, SEEK_END) != 0 || (end = std::ftell(file)) < 0 ||
               std::fseek(file, 0, SEEK_SET) != 0) {
        problem = "cannot take the file's size";
    } else if (static_cast<unsigned long long>(end) >
               std::numeric_limits<std::size_t>::max() - padding) {
        problem = "file too large";
    } else {
        const std::size_t want = static_cast<std::size_t>(end);
        try {
            bytes.assign(want + padding, 0);
        } catch (const std::bad_alloc&) {
            problem = "file too large to hold in memory";
        }
        if (!bytes.empty()) {
            const std::size_t got = std::fread(bytes.data(), 1, want, file);
            if (got != want) {
                // NOTE: a file that shrank while being read; anything short is unusable.
                problem = "read " + std::to_string(got) + " of " + std::to_string(want) + " bytes";
            } else {
                size = want;
                ok = true;
            }
        }
    }
    std::fclose(file);
    if (!ok) {
        bytes.clear();
    }
    return ok;
}

bool AssetFile::readOrReport(const std::string& path) {
    std::string problem;
    if (read(path, problem)) {
        return true;
    }
    report(path, problem);
    return false;
}
