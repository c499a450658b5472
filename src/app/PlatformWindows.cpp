// Platform on Windows: binary standard streams and file opening through the C runtime.
#include "app/Platform.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <string>

void initStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

int statPath(const char* path, struct stat* status) {
    std::string trimmed(path);
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) {
        trimmed.pop_back();
    }
    // NOTE: the C runtime finds nothing at all at "dir/"; POSIX finds the directory there, and
    // a file named with a trailing '/' is "not a directory".
    if (trimmed.size() == std::string(path).size() || trimmed.back() == ':') {
        return ::stat(path, status);
    }
    if (::stat(trimmed.c_str(), status) != 0) {
        return -1;
    }
    if (!S_ISDIR(status->st_mode)) {
        errno = ENOTDIR;
        return -1;
    }
    return 0;
}

int openFileForReading(const char* path) {
    // NOTE: _O_BINARY, or the C runtime drops every '\r' before a '\n' and stops at the first
    // Ctrl-Z byte. Windows has no FIFO a plain open could block on, so no non-blocking flag.
    return ::_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

void setFileBlocking(int) {}
