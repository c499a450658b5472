// ScratchDir: a fresh temporary directory for files a test writes, removed with its contents.
#pragma once

#include <string>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The path of name inside the directory.
    std::string path(const std::string& name) const { return root + "/" + name; }

private:
    std::string root;
};
