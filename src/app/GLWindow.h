// GLWindow: the game's one window, its OpenGL context and the running and active flags.
#pragma once

#include <SDL.h>

class GLWindow {
public:
    GLWindow() = default;
    // NOLINTNEXTLINE(performance-trivially-destructible): out of line for the note it carries
    ~GLWindow();
    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    // Who hears size changes: the drawable width and height, 0 x 0 while minimised. The
    // listener may be called from create() and from pumpMessages().
    using SizeListener = void (*)(void* target, int width, int height);
    void setSizeListener(SizeListener listener, void* target) {
        sizeListener = listener;
        sizeTarget = target;
    }
    // Opens a resizable window titled "VOLK 5 Pellor" whose drawable area is width x height,
    // with a double-buffered 8/8/8 colour, 16-bit depth format and a GL 3.0 context (a legacy
    // context when 3.0 cannot be had). The game hears the initial size before this returns.
    // False when no window or no context can be had.
    bool create(int width, int height, int bits, bool fullscreen);
    bool isRunning() const { return running; }
    bool isActive() const { return active; }
    // Drains every pending event without waiting; a quit signal counts as a close.
    void pumpMessages();
    // Waits until an event is pending or the time is up; the event stays queued.
    void waitForEvents(int milliseconds);
    // Right before a frame is drawn: shrinks a window that grew past the screens since the
    // messages were handled (while the loop waited for the frame floor). Other events stay
    // queued for the next pumpMessages.
    void checkSize();
    void swapBuffers();
    void restoreDisplay();

    SDL_Window* getWindow() const { return window; }
    bool isFullscreen() const { return fullscreen; }

private:
    void handleEvent(const SDL_Event& event);
    void close();
    void forwardSize();
    void clampToDisplays();
    bool openVideo();
    bool createContext();

    bool active = true;            // false while paused by Escape
    SDL_Window* window = nullptr;  // null until create succeeds
    SizeListener sizeListener = nullptr;
    void* sizeTarget = nullptr;  // not owned
    bool running = false;        // true from a current context until the window closes
    bool fullscreen = false;     // the mode asked of create; cleared if it failed
    SDL_GLContext context = nullptr;
    bool videoStarted = false;  // SDL video is ours to use (and to leave to process exit)
    int createdWidth = 0;       // the size asked of create, which the window may always keep
    int createdHeight = 0;
    int largestWidth = 0;  // the largest size allowed, as clampToDisplays last found it
    int largestHeight = 0;
};

// Writes the text as one line on standard error, then shows it in an error box (caption
// "An error occurred") and waits until the box is dismissed. True when the box was shown;
// false when none could be (no display, no usable fonts): the line is then the only report
// and the call returns at once. A quit signal while the box waits (or before it) ends the
// process with quitExitCode, and the box with it.
bool showErrorMessage(const char* text, int quitExitCode);
