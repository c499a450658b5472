// Keyboard: polling the nine keys into a direction and five flags.
#include "app/Keyboard.h"

#include <SDL.h>

Keyboard keyboard;

bool Keyboard::sdlKeyState(int key) {
    SDL_Scancode code = SDL_SCANCODE_UNKNOWN;
    switch (key) {
        case keySpace:
            code = SDL_SCANCODE_SPACE;
            break;
        case keyLeft:
            code = SDL_SCANCODE_LEFT;
            break;
        case keyUp:
            code = SDL_SCANCODE_UP;
            break;
        case keyRight:
            code = SDL_SCANCODE_RIGHT;
            break;
        case keyDown:
            code = SDL_SCANCODE_DOWN;
            break;
        case keyF1:
            code = SDL_SCANCODE_F1;
            break;
        case keyF2:
            code = SDL_SCANCODE_F2;
            break;
        case keyF3:
            code = SDL_SCANCODE_F3;
            break;
        case keyF4:
            code = SDL_SCANCODE_F4;
            break;
        default:
            return false;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return state != nullptr && code < count && state[code] != 0;
}

void Keyboard::setKeyState(KeyStateFunction function) {
    isDown = function != nullptr ? function : &Keyboard::sdlKeyState;
}

void Keyboard::poll() {
    space = isDown(keySpace);
    f1 = isDown(keyF1);
    f2 = isDown(keyF2);
    f3 = isDown(keyF3);
    f4 = isDown(keyF4);
    // Left wins over Right and Up over Down: the second key is not even read.
    if (isDown(keyLeft)) {
        direction.x = -1.0f;
    } else if (isDown(keyRight)) {
        direction.x = 1.0f;
    } else {
        direction.x = 0.0f;
    }
    if (isDown(keyUp)) {
        direction.y = 1.0f;
    } else if (isDown(keyDown)) {
        direction.y = -1.0f;
    } else {
        direction.y = 0.0f;
    }
}
