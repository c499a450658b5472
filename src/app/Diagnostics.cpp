// Diagnostics: formatting a line on the stack and writing it with one write and a flush.
#include "app/Diagnostics.h"

#include <cstdarg>

namespace {
// Characters of a line formatted on the stack, its newline included.
constexpr int lineCapacity = 1024;
}  // namespace

bool writeDiagnostic(std::FILE* stream, const char* format, ...) {
    if (stream == nullptr) {
        return false;
    }
    char line[lineCapacity];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    bool written = false;
    if (length >= 0 && length < lineCapacity) {
        // The terminating NUL's place takes the newline: text and newline in one write.
        line[length] = '\n';
        const auto count = static_cast<std::size_t>(length) + 1;
        written = std::fwrite(line, 1, count, stream) == count;
    } else if (length >= 0) {
        // NOTE: too long for the stack; the stream formats it again into its own buffer, so
        // the line is never cut. Only the game's main thread writes, so nothing can come
        // between the text and its newline.
        written = std::vfprintf(stream, format, again) == length && std::fputc('\n', stream) != EOF;
    }
    va_end(again);
    const bool flushed = std::fflush(stream) == 0;
    if (!written || !flushed) {
        std::clearerr(stream);
        return false;
    }
    return true;
}
