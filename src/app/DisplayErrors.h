// DisplayErrors: errors of the X display reported as lines instead of ending the process.
#pragma once

// Xlib's default error handler prints a report and exits, so a display without a usable GL
// driver would end the game inside SDL before it could say anything of its own. After SDL's
// video has started on X11, this installs a handler that writes one line per error and lets
// the failing call return its failure. Elsewhere it does nothing.
void catchDisplayErrors();
