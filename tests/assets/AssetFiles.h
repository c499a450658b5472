// AssetFiles: a private temporary directory of test asset files, removed with the object.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class AssetFiles {
public:
    AssetFiles() {
        char name[] = "/tmp/volk-assets-XXXXXX";
        if (mkdtemp(name) != nullptr) {
            directory = name;
        }
    }
    ~AssetFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    AssetFiles(const AssetFiles&) = delete;
    AssetFiles& operator=(const AssetFiles&) = delete;

    // Writes bytes to a file of that name in the directory and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string path = directory + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string makeDirectory(const std::string& name) const {
        const std::string path = directory + "/" + name;
        std::filesystem::create_directories(path);
        return path;
    }
    std::string path(const std::string& name) const { return directory + "/" + name; }
    // Things that are not regular files, or that are too big to write out: each returns the
    // path it made.
    std::string makeFifo(const std::string& name) const {
        const std::string where = path(name);
        mkfifo(where.c_str(), 0600);
        return where;
    }
    std::string makeSymlink(const std::string& name, const std::string& target) const {
        const std::string where = path(name);
        std::error_code ignored;
        std::filesystem::create_symlink(target, where, ignored);
        return where;
    }
    // A file of that size with no data blocks: it costs no disk space.
    std::string makeSparse(const std::string& name, std::uint64_t size) const {
        const std::string where = write(name, "");
        std::error_code ignored;
        std::filesystem::resize_file(where, size, ignored);
        return where;
    }

private:
    std::string directory;
};
