// FrameLoop: printing the ring of frame times.
#include "app/FrameLoop.h"

void FrameLoop::print() {
    if (output == nullptr) {
        return;
    }
    // NOTE: with SIGPIPE ignored, a reader that went away shows up here as a failed write.
    if (std::fputs(clock.formatLine().c_str(), output) == EOF || std::fflush(output) != 0) {
        output = nullptr;
    }
}
