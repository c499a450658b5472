// ScratchDir: mkdtemp and a recursive removal.
#include "support/ScratchDir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/volk-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot create a scratch directory");
    }
    root = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}
