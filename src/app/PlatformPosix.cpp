// Platform on Linux (and other POSIX systems): file opening and standard streams.
#include "app/Platform.h"

#include <fcntl.h>

void initStandardStreams() {}  // POSIX streams never translate line ends

int statPath(const char* path, struct stat* status) { return ::stat(path, status); }

int openFileForReading(const char* path) {
    return ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

void setFileBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
}
