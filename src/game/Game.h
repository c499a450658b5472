// Game: the one scene the frame loop drives.
#pragma once

class Game {
public:
    Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    bool init();
    void update(float dt);  // dt: seconds
    void render();
    void resize(int width, int height);
    void onWindowResize(int width, int height);

private:
    Game* activeScene = this;  // scene that receives window size changes
};
