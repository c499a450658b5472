// CapturedStream: what the code under test writes to standard output or standard error.
#pragma once

#include <cstdio>
#include <string>

#include "support/ScratchDir.h"

// Captures the file descriptor, so C stdio and iostreams are both seen.
class CapturedStream {
public:
    explicit CapturedStream(int descriptor);  // 1 or 2
    ~CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    // Stops capturing (once) and returns everything written since construction.
    std::string finish();

private:
    int fd;
    int saved = -1;
    ScratchDir scratch{"volk-capture"};
    std::string path;
    std::FILE* file = nullptr;
    bool finished = false;
    std::string text;
};
