// Platform: the few operating-system calls that differ between Linux and Windows.
#pragma once

#include <sys/stat.h>

// NOTE: Windows' file systems hold no sockets, and its C runtime has no S_ISSOCK.
#ifndef S_ISSOCK
#define S_ISSOCK(mode) 0
#endif

// The one source file that holds them is chosen by the build: PlatformPosix.cpp or
// PlatformWindows.cpp.

// Call first thing in main. Makes standard output and standard error write exactly the bytes
// given, so every printed line is the same bytes on every system (Windows' C runtime would
// otherwise write "\r\n" for each "\n").
void initStandardStreams();

// stat(): the status of what path names, following symbolic links; 0, or -1 with errno set.
// A path ending in '/' names a directory or nothing, on Windows too.
int statPath(const char* path, struct stat* status);

// Opens path for reading raw bytes, not inherited by child processes and never waiting for a
// writer, even if the path was swapped for a FIFO since it was checked. Returns a file
// descriptor for read() and close(), or -1 with errno set.
int openFileForReading(const char* path);

// Makes reads from fd wait for data again; call it once fstat says fd is a regular file.
void setFileBlocking(int fd);
