// ScratchDir: a uniquely named folder under the temporary folder, and its recursive removal.
#include "support/ScratchDir.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

long processId() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

}  // namespace

ScratchDir::ScratchDir(const std::string& prefix) {
    // NOTE: the process id and the counter keep the processes of a parallel ctest and the
    // objects of one process apart; the random part keeps a name from being guessed ahead,
    // and a folder that exists already (left over or planted) is never taken over.
    static std::atomic<unsigned> counter{0};
    static std::random_device entropy;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        throw std::runtime_error("no temporary folder: " + error.message());
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            temporary / (prefix + "-" + std::to_string(processId()) + "-" +
                         std::to_string(counter++) + "-" + std::to_string(entropy()));
        if (fs::create_directory(candidate, error)) {
            // Private, as mkdtemp would make it: other users share the temporary folder.
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
            root = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder in " + temporary.string() +
                             (error ? ": " + error.message() : std::string()));
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
    const std::string where = path(name);
    std::ofstream out(where, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return where;
}

std::string ScratchDir::makeDirectory(const std::string& name) const {
    const std::string where = path(name);
    fs::create_directories(where);
    return where;
}

std::string ScratchDir::makeSymlink(const std::string& name, const std::string& target) const {
    const std::string where = path(name);
    std::error_code ignored;
    fs::create_symlink(target, where, ignored);
    return where;
}

std::string ScratchDir::makeSparse(const std::string& name, std::uint64_t size) const {
    const std::string where = write(name, "");
    std::error_code ignored;
    fs::resize_file(where, size, ignored);
    return where;
}
