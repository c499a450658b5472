// Game: placeholder entry points until the scene lands.
#include "game/Game.h"

bool Game::init() { return true; }
void Game::update(float) {}
void Game::render() {}
void Game::resize(int, int) {}
void Game::onWindowResize(int width, int height) { activeScene->resize(width, height); }
