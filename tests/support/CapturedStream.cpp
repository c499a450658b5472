// CapturedStream: the stream's descriptor pointed at a scratch file, and back.
#include "support/CapturedStream.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

CapturedStream::CapturedStream(int descriptor) : fd(descriptor), path(scratch.path("capture")) {
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error("cannot create a capture file");
    }
    saved = dup(fd);
    dup2(fileno(file), fd);
}

CapturedStream::~CapturedStream() { finish(); }

std::string CapturedStream::finish() {
    if (finished) {
        return text;
    }
    finished = true;
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    dup2(saved, fd);
    close(saved);
    std::fclose(file);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return text;
}
