// Keyboard: polling the nine keys into the scancode table and a direction.
#include "app/Keyboard.h"

#include <SDL.h>

Keyboard keyboard;

bool Keyboard::sdlKeyState(int scancode) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return state != nullptr && scancode >= 0 && scancode < count && state[scancode] != 0;
}

void Keyboard::setKeyState(KeyStateFunction function) {
    isDownNow = function != nullptr ? function : &Keyboard::sdlKeyState;
}

void Keyboard::poll() {
    for (const Key key : polledKeys) {
        down[key] = isDownNow(key);
    }
    if (down[keyLeft]) {
        direction.x = -1.0f;
    } else if (down[keyRight]) {
        direction.x = 1.0f;
    } else {
        direction.x = 0.0f;
    }
    if (down[keyUp]) {
        direction.y = 1.0f;
    } else if (down[keyDown]) {
        direction.y = -1.0f;
    } else {
        direction.y = 0.0f;
    }
}
