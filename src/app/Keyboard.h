// Keyboard: a snapshot of the nine keys the game reads, taken when asked.
#pragma once

#include "math/Vector2.h"

// The keys by their classic virtual-key codes, which the game's key table uses.
enum Key : int {
    keySpace = 0x20,
    keyLeft = 0x25,
    keyUp = 0x26,
    keyRight = 0x27,
    keyDown = 0x28,
    keyF1 = 0x70,
    keyF2 = 0x71,
    keyF3 = 0x72,
    keyF4 = 0x73,
};

// Answers whether a key is down at this moment. The default reads SDL's keyboard state,
// which the window's message pump keeps current; tests substitute their own.
using KeyStateFunction = bool (*)(int key);

class Keyboard {
public:
    // No history and no edge detection: callers that need presses keep their own latches.
    void poll();

    const Vector2& getDirection() const { return direction; }
    bool spaceDown() const { return space; }
    bool f1Down() const { return f1; }
    bool f2Down() const { return f2; }
    bool f3Down() const { return f3; }
    bool f4Down() const { return f4; }

    void setKeyState(KeyStateFunction function);  // null restores the SDL source
    static bool sdlKeyState(int key);

private:
    Vector2 direction;  // x: -1 Left, +1 Right, 0; y: +1 Up, -1 Down, 0
    bool space = false;
    bool f1 = false;
    bool f2 = false;
    bool f3 = false;
    bool f4 = false;
    KeyStateFunction isDown = &Keyboard::sdlKeyState;
};

// The one keyboard of the process.
extern Keyboard keyboard;
