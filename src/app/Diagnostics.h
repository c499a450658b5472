// Diagnostics: the one writer of the program's printed lines, on standard output or error.
#pragma once

#include <cstdio>

// Writes one line on stream (stdout or stderr): the text printf would make of format and its
// arguments, then "\n", handed to the stream whole and flushed at once, so that lines from
// different places never interleave mid-line and each is out before the call returns. A line
// that fits the writer's stack buffer (1 KiB) goes out in a single write; a longer one (a
// shader compiler's log) is formatted by the stream itself, still whole. Allocates nothing.
//
// Returns false when the line could not be written whole (a closed pipe, a full disk) or the
// stream is null; nothing else happens then: the stream's error flag is cleared, so the next
// line is tried afresh. Callers for whom a lost line means more (the frame loop) act on it.
// NOTE: SIGPIPE must be ignored (installQuitSignals does) for a gone reader to show up here
// as a failed write rather than end the process.
bool writeDiagnostic(std::FILE* stream, const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
