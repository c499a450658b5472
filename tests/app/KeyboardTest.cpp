// Tests of the keyboard snapshot: scancodes, priorities, no history.
#include <gtest/gtest.h>

#include <set>

#include "app/Keyboard.h"

namespace {
std::set<int> held;
std::set<int> asked;

bool scripted(int key) {
    asked.insert(key);
    return held.count(key) != 0;
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        held.clear();
        asked.clear();
        board.setKeyState(&scripted);
    }
    Keyboard board;
};
}  // namespace

TEST_F(KeyboardTest, EverythingUpBeforeThePoll) {
    Keyboard fresh;
    EXPECT_EQ(fresh.getDirection().x, 0.0f);
    EXPECT_EQ(fresh.getDirection().y, 0.0f);
    EXPECT_FALSE(fresh.spaceDown() || fresh.f1Down() || fresh.f2Down() || fresh.f3Down() ||
                 fresh.f4Down());
}

TEST_F(KeyboardTest, FlagsFollowTheirKeys) {
    held = {keySpace, keyF2, keyF4};
    board.poll();
    EXPECT_TRUE(board.spaceDown());
    EXPECT_FALSE(board.f1Down());
    EXPECT_TRUE(board.f2Down());
    EXPECT_FALSE(board.f3Down());
    EXPECT_TRUE(board.f4Down());
    held.clear();
    board.poll();
    EXPECT_FALSE(board.spaceDown() || board.f2Down() || board.f4Down());
}

TEST_F(KeyboardTest, ArrowsGiveUnnormalisedDirection) {
    held = {keyRight, keyDown};
    board.poll();
    EXPECT_EQ(board.getDirection().x, 1.0f);
    EXPECT_EQ(board.getDirection().y, -1.0f);
    held = {keyLeft, keyUp};
    board.poll();
    EXPECT_EQ(board.getDirection().x, -1.0f);
    EXPECT_EQ(board.getDirection().y, 1.0f);
}

TEST_F(KeyboardTest, LeftAndUpWinButTheOtherKeysStillReadDown) {
    held = {keyLeft, keyRight, keyUp, keyDown};
    board.poll();
    EXPECT_EQ(board.getDirection().x, -1.0f);
    EXPECT_EQ(board.getDirection().y, 1.0f);
    EXPECT_TRUE(board.isDown(keyRight));
    EXPECT_TRUE(board.isDown(keyDown));
}

TEST_F(KeyboardTest, ThePollAsksTheSourceForTheNineKeysBySdlScancode) {
    board.poll();
    const std::set<int> scancodes{SDL_SCANCODE_SPACE, SDL_SCANCODE_LEFT, SDL_SCANCODE_UP,
                                  SDL_SCANCODE_RIGHT, SDL_SCANCODE_DOWN, SDL_SCANCODE_F1,
                                  SDL_SCANCODE_F2,    SDL_SCANCODE_F3,   SDL_SCANCODE_F4};
    EXPECT_EQ(asked, scancodes);
}

TEST_F(KeyboardTest, KeyReleasedBetweenPollsIsNotSeen) {
    held = {keySpace};
    held.clear();  // pressed and released before the poll
    board.poll();
    EXPECT_FALSE(board.spaceDown());
}
