// Fifo: makes a named pipe in a scratch folder, for readers that must not block on one.
#pragma once

#include <sys/stat.h>

#include <string>

#include "support/ScratchDir.h"

// NOTE: POSIX only, which is why it is no part of the portable ScratchDir.
// Returns the pipe's path; nothing is made where it cannot be.
inline std::string makeFifo(const ScratchDir& dir, const std::string& name) {
    const std::string where = dir.path(name);
    mkfifo(where.c_str(), 0600);
    return where;
}
