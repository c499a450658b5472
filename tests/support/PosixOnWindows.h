// PosixOnWindows: the few POSIX calls the tests use, for the Windows build (force-included
// there by tests/CMakeLists.txt; never seen by the Linux build).
#pragma once

#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <random>

namespace posixOnWindows {
// Replaces the trailing "XXXXXX" of pattern with random letters; false if there is none.
inline bool fillTemplate(char* pattern) {
    const size_t length = strlen(pattern);
    if (length < 6 || strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return false;
    }
    static std::mt19937 random{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (size_t i = length - 6; i < length; ++i) {
        pattern[i] = letters[random() % (sizeof letters - 1)];
    }
    return true;
}
}  // namespace posixOnWindows

inline char* mkdtemp(char* pattern) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!posixOnWindows::fillTemplate(pattern)) {
            return nullptr;
        }
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

inline int mkstemp(char* pattern) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!posixOnWindows::fillTemplate(pattern)) {
            return -1;
        }
        const int fd = _open(pattern, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// NOTE: Windows has no FIFOs; the tests that need one are not run there.
inline int mkfifo(const char*, int) {
    errno = ENOSYS;
    return -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline int pipe(int ends[2]) { return _pipe(ends, 65536, _O_BINARY); }

// NOTE: for the compiler only: the C runtime refuses this number (signal() returns SIG_ERR).
// Windows has no SIGPIPE: a write to a pipe nobody reads just fails.
#include <signal.h>
#ifndef SIGPIPE
#define SIGPIPE 13
#endif
