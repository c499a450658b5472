// FrameLoop: printing the ring of frame times.
#include "app/FrameLoop.h"

#include "app/Diagnostics.h"

void FrameLoop::print() {
    if (output == nullptr) {
        return;
    }
    // NOTE: with SIGPIPE ignored, a reader that went away shows up here as a failed write.
    if (!writeDiagnostic(output, "%s", clock.formatLine().text)) {
        output = nullptr;
    }
}
