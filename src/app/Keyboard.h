// Keyboard: a snapshot of the nine keys the game reads, by SDL scancode, taken when asked.
#pragma once

#include <SDL_scancode.h>

#include "math/Vector2.h"

// The keys the game reads, by their SDL scancodes: places on the keyboard, whatever the layout.
enum Key : int {
    keySpace = SDL_SCANCODE_SPACE,
    keyLeft = SDL_SCANCODE_LEFT,
    keyUp = SDL_SCANCODE_UP,
    keyRight = SDL_SCANCODE_RIGHT,
    keyDown = SDL_SCANCODE_DOWN,
    keyF1 = SDL_SCANCODE_F1,
    keyF2 = SDL_SCANCODE_F2,
    keyF3 = SDL_SCANCODE_F3,
    keyF4 = SDL_SCANCODE_F4,
};

// Answers whether the key with that SDL scancode is down at this moment. The default reads
// SDL's keyboard state, which the window's message pump keeps current; tests substitute their
// own. NOTE: Escape is not here: the window's message pump handles it as it arrives.
using KeyStateFunction = bool (*)(int scancode);

class Keyboard {
public:
    // The keys poll() reads; every other scancode stays up.
    static constexpr Key polledKeys[] = {keySpace, keyLeft, keyUp, keyRight, keyDown,
                                         keyF1,    keyF2,   keyF3, keyF4};

    // No history and no edge detection: callers that need presses keep their own latches.
    void poll();

    // As of the last poll; before the first, every key is up.
    bool isDown(Key key) const { return down[key]; }
    // x: -1 Left, +1 Right, 0; y: +1 Up, -1 Down, 0. Left wins over Right and Up over Down.
    const Vector2& getDirection() const { return direction; }
    bool spaceDown() const { return isDown(keySpace); }
    bool f1Down() const { return isDown(keyF1); }
    bool f2Down() const { return isDown(keyF2); }
    bool f3Down() const { return isDown(keyF3); }
    bool f4Down() const { return isDown(keyF4); }

    void setKeyState(KeyStateFunction function);  // null restores the SDL source
    static bool sdlKeyState(int scancode);

private:
    bool down[SDL_NUM_SCANCODES] = {};  // by scancode
    Vector2 direction;
    KeyStateFunction isDownNow = &Keyboard::sdlKeyState;
};

// The one keyboard of the process.
extern Keyboard keyboard;
