// Tests of the frame loop's order of steps, driven by a scripted counter and window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/FrameLoop.h"

namespace {

// A counter in microseconds that moves only when the script or a sleep moves it.
struct ScriptedClock {
    std::int64_t now = 1000000;
    int sleeps = 0;
    std::int64_t readCounter() { return now; }
    void sleep(int milliseconds) {
        ++sleeps;
        now += std::int64_t{milliseconds} * 1000;
    }
};

// One loop iteration as the script has it: time that passes before the counter is read
// (events, the previous swap), whether the game is active, whether the window closes.
struct Step {
    std::int64_t microseconds;
    bool active;
    bool closes;
};

struct ScriptedWindow {
    ScriptedClock& clock;
    std::vector<Step> script;
    std::size_t next = 0;
    bool running = true;
    bool active = true;
    std::vector<std::string>* calls;

    bool isRunning() const { return running && next <= script.size(); }
    void pumpMessages() {
        if (next == script.size()) {
            running = false;
            return;
        }
        const Step& step = script[next++];
        clock.now += step.microseconds;
        active = step.active;
        running = !step.closes;
    }
    bool isActive() const { return active; }
    void swapBuffers() { calls->push_back("swap"); }
    void waitForEvents(int milliseconds) {
        calls->push_back("wait " + std::to_string(milliseconds));
    }
    void checkSize() { calls->push_back("size"); }
};

struct RecordingScene {
    std::vector<float> frameTimes;
    std::vector<std::string>* calls;
    void update(float dt) {
        frameTimes.push_back(dt);
        calls->push_back("update");
    }
    void render() { calls->push_back("render"); }
};

struct LoopRun {
    ScriptedClock clock;
    std::vector<std::string> calls;
    RecordingScene scene{{}, &calls};

    void go(const std::vector<Step>& script, std::FILE* out = nullptr) {
        ScriptedWindow window{clock, script, 0, true, true, &calls};
        FrameLoop loop(out);
        loop.start(clock, 1000000);
        loop.run(clock, window, scene);
        printing = loop.isPrinting();
    }
    bool printing = false;
};

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    return text;
}

}  // namespace

TEST(FrameLoop, HoldsEachActiveFrameToTheFloorInThreeMillisecondSleeps) {
    LoopRun run;
    run.go({{15000, true, false}, {14999, true, false}, {4000, true, false}});
    // Exactly 15,000 us is not slept; 14,999 us sleeps once, to 17,999 us; 4,000 us sleeps
    // four times, to 16,000 us.
    ASSERT_EQ(run.scene.frameTimes.size(), 3u);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[0], 0.015f);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[1], 0.017999f);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[2], 0.016f);
    EXPECT_EQ(run.clock.sleeps, 5);
}

TEST(FrameLoop, LongFramesAreNotSleptAndKeepTheirMeasuredTime) {
    LoopRun run;
    run.go({{2500000, true, false}});
    ASSERT_EQ(run.scene.frameTimes.size(), 1u);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[0], 2.5f);
    EXPECT_EQ(run.clock.sleeps, 0);
}

TEST(FrameLoop, PausedIterationsSwapWaitAndMoveTheClockButDrawNothing) {
    LoopRun run;
    run.go({{20000, true, false},
            {1000000, false, false},
            {1000000, false, false},
            {1000000, false, false},
            {20000, true, false}});
    // The first frame after the pause covers its own iteration, not the three seconds.
    ASSERT_EQ(run.scene.frameTimes.size(), 2u);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[0], 0.02f);
    EXPECT_FLOAT_EQ(run.scene.frameTimes[1], 0.02f);
    // One row per phase, kept by hand.
    // clang-format off
    const std::vector<std::string> expected{
        "update", "size", "render", "swap",                              // active
        "swap",   "wait 15", "swap", "wait 15", "swap", "wait 15",       // paused
        "update", "size", "render", "swap"};                             // resumed
    // clang-format on
    EXPECT_EQ(run.calls, expected);
}

TEST(FrameLoop, PrintsTheRingEveryTenthActiveFrameOnly) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    std::vector<Step> script;
    for (int frame = 0; frame < 25; ++frame) {
        script.push_back({16000, true, false});
        if (frame % 3 == 0) {
            script.push_back({500000, false, false});  // paused iterations count for nothing
        }
    }
    LoopRun run;
    run.go(script, out);
    const std::string line =
        "0.016000 0.016000 0.016000 0.016000 0.016000 0.016000 0.016000 0.016000 0.016000 "
        "0.016000 \n";
    EXPECT_EQ(readAll(out), line + line);
    std::fclose(out);
}

TEST(FrameLoop, AGoneReaderStopsThePrintingButNotTheGame) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    std::FILE* out = fdopen(ends[1], "w");
    ASSERT_NE(out, nullptr);
    void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
    std::vector<Step> script(40, Step{16000, true, false});
    LoopRun run;
    run.go(script, out);
    std::signal(SIGPIPE, previous);
    EXPECT_EQ(run.scene.frameTimes.size(), 40u);
    EXPECT_FALSE(run.printing);
    std::fclose(out);
}

TEST(FrameLoop, ACloseDuringThePumpEndsTheIterationAtOnce) {
    LoopRun run;
    run.go({{16000, true, false}, {16000, true, true}, {16000, true, false}});
    const std::vector<std::string> expected{"update", "size", "render", "swap"};
    EXPECT_EQ(run.calls, expected);
}

// The browser's loop: the host calls one iteration per display frame; nothing sleeps or waits.
TEST(FrameLoop, OneIterationPerCallNeverSleepsAndSkipsFramesUnderTheFloor) {
    ScriptedClock clock;
    std::vector<std::string> calls;
    RecordingScene scene{{}, &calls};
    const std::vector<Step> script{
        {16700, true, false},   // a 60 Hz display frame: drawn
        {8300, true, false},    // 120 Hz: 8.3 ms since the last frame, skipped
        {8300, true, false},    // 16.6 ms: drawn
        {16700, false, false},  // Escape: only a swap
        {16700, false, false}, {16700, true, false},  // resumed: 16.7 ms since the paused swap
        {0, true, true},                              // closed during the pump
    };
    ScriptedWindow window{clock, script, 0, true, true, &calls};
    FrameLoop loop(nullptr);
    loop.start(clock, 1000000);
    int iterations = 0;
    while (loop.runOnce(clock, window, scene)) {
        ++iterations;
    }
    EXPECT_EQ(iterations, 6);
    EXPECT_EQ(clock.sleeps, 0);
    ASSERT_EQ(scene.frameTimes.size(), 3u);
    EXPECT_FLOAT_EQ(scene.frameTimes[0], 0.0167f);
    EXPECT_FLOAT_EQ(scene.frameTimes[1], 0.0166f);
    EXPECT_FLOAT_EQ(scene.frameTimes[2], 0.0167f);
    // clang-format off
    const std::vector<std::string> expected{"update", "size", "render", "swap",   // drawn
                                            "update", "size", "render", "swap",   // drawn
                                            "swap",   "swap",                     // paused
                                            "update", "size", "render", "swap"};  // resumed
    // clang-format on
    EXPECT_EQ(calls, expected);
    // Once closed, it stays closed.
    EXPECT_FALSE(loop.runOnce(clock, window, scene));
}
