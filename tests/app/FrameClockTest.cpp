// Tests of the frame clock's arithmetic, ring and printed line.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/FrameClock.h"

TEST(FrameClock, MicrosecondsTruncate) {
    EXPECT_EQ(FrameClock::elapsedMicroseconds(0, 15000, 1000000), 15000);
    EXPECT_EQ(FrameClock::elapsedMicroseconds(100, 100 + 15999999, 1000000000), 15999);
    EXPECT_EQ(FrameClock::elapsedMicroseconds(0, 3, 3579545), 0);
    EXPECT_EQ(FrameClock::elapsedMicroseconds(0, 53693, 3579545), 14999);  // 14.99996 ms
    EXPECT_FLOAT_EQ(FrameClock::toSeconds(15000), 0.015f);
}

TEST(FrameClock, LongIntervalsDoNotOverflow) {
    // Ten hours of a nanosecond counter: multiplying first by 10^6 would overflow 64 bits.
    const std::int64_t tenHours = std::int64_t{36000} * 1000000000;
    EXPECT_EQ(FrameClock::elapsedMicroseconds(5, 5 + tenHours, 1000000000),
              std::int64_t{36000} * 1000000);
    // Counter values near the top of the range.
    const std::int64_t big = INT64_MAX - 2000000000;
    EXPECT_EQ(FrameClock::elapsedMicroseconds(big, big + 1500000000, 1000000000), 1500000);
}

TEST(FrameClock, PrintsEveryTenthFrame) {
    FrameClock clock;
    std::vector<int> printedAt;
    for (int frame = 1; frame <= 25; ++frame) {
        if (clock.record(0.01f * static_cast<float>(frame))) {
            printedAt.push_back(frame);
        }
    }
    EXPECT_EQ(printedAt, (std::vector<int>{10, 20}));
    EXPECT_EQ(clock.getIndex(), 5);
}

TEST(FrameClock, LineHoldsTheTenValuesSlotZeroFirst) {
    FrameClock clock;
    for (int frame = 0; frame < 10; ++frame) {
        clock.record(0.015f + 0.001f * static_cast<float>(frame));
    }
    const std::string line = clock.formatLine().text;
    // The writer adds the newline; FrameLoopTest checks the printed line whole.
    EXPECT_EQ(line,
              "0.015000 0.016000 0.017000 0.018000 0.019000 0.020000 0.021000 0.022000 "
              "0.023000 0.024000 ");
}

TEST(FrameClock, LongFramesPrintInFull) {
    FrameClock clock;
    for (int frame = 0; frame < 10; ++frame) {
        clock.record(frame == 3 ? 1234.5f : 0.015f);
    }
    std::istringstream values(clock.formatLine().text);
    std::vector<double> read;
    double v = 0.0;
    while (values >> v) {
        read.push_back(v);
    }
    ASSERT_EQ(read.size(), 10u);
    EXPECT_DOUBLE_EQ(read[3], 1234.5);
}
