// PosixOnWindows: the few POSIX calls the tests use, for the Windows build (force-included
// there by tests/CMakeLists.txt; never seen by the Linux build).
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

// NOTE: Windows has no FIFOs; the tests that need one are not run there.
inline int mkfifo(const char*, int) {
    errno = ENOSYS;
    return -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
// NOTE: the C runtime's own copy of the environment, which getenv reads (SDL_setenv would
// change only the process's, which getenv does not see). Always overwrites.
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }

inline int pipe(int ends[2]) { return _pipe(ends, 65536, _O_BINARY); }

// NOTE: for the compiler only: the C runtime refuses this number (signal() returns SIG_ERR).
// Windows has no SIGPIPE: a write to a pipe nobody reads just fails.
#include <signal.h>
#ifndef SIGPIPE
#define SIGPIPE 13
#endif

// NOTE: Windows pipes have no non-blocking mode; the tests only read a pipe they have just
// written to, so a read never waits there.
#ifndef F_SETFL
#define F_SETFL 4
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0x4000
#endif
inline int fcntl(int, int, int) { return 0; }
