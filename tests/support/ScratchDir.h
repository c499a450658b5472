// ScratchDir: a fresh private folder for the files a test, benchmark or tool writes, removed
// with its contents.
#pragma once

#include <cstdint>
#include <string>

// Portable (std::filesystem only): the folder is made under the system's temporary folder
// (TMPDIR here) with a name no other ScratchDir of any process has at the same time.
class ScratchDir {
public:
    // prefix starts the folder's name, to tell who left one behind after a crash.
    // Throws std::runtime_error when no folder can be made.
    explicit ScratchDir(const std::string& prefix = "volk-test");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The path of name inside the folder (nothing is made).
    std::string path(const std::string& name) const { return root + "/" + name; }

    // Each of these makes name inside the folder and returns its path.
    // A file holding bytes (replacing one of that name).
    std::string write(const std::string& name, const std::string& bytes) const;
    // A folder, with any missing parents.
    std::string makeDirectory(const std::string& name) const;
    // A symbolic link to target (which need not exist); nothing is made where links cannot be.
    std::string makeSymlink(const std::string& name, const std::string& target) const;
    // A file of size bytes with no data blocks where the file system allows: it costs no
    // disk space.
    std::string makeSparse(const std::string& name, std::uint64_t size) const;

private:
    std::string root;
};
