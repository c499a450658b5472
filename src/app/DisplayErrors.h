// DisplayErrors: X display errors as lines; the window taken away ends the run.
#pragma once

struct SDL_Window;

// Xlib's default error handler prints a report and exits, so a display without a usable GL
// driver would end the game inside SDL before it could say anything of its own. After SDL's
// video has started on X11, this installs a handler that writes one line per error and lets
// the failing call return its failure. Elsewhere it does nothing.
void catchDisplayErrors();

// From the moment the window is shown: an X error that says this window no longer exists
// (BadWindow or BadDrawable naming it: another client destroyed it, or the server lost it)
// writes one line, "The OpenGL Window was destroyed by another program (X error: ...)", and
// ends the process at once with exit code 0, as a closed window ends the run. Every other X
// error stays a line, and the game goes on. Does nothing where catchDisplayErrors did nothing.
void watchWindow(SDL_Window* window);
