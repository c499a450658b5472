// FrameClock: frame-time arithmetic and the ring of the last ten frame times.
#pragma once

#include <cstdint>

class FrameClock {
public:
    static constexpr float minimumFrameTime = 0.015f;  // seconds
    static constexpr int sleepStep = 3;                // milliseconds
    static constexpr int ringLength = 10;

    // One printed line's text, NUL-terminated, on the stack: any float fits "%f" in 48 places.
    struct Line {
        char text[ringLength * 48 + 4];
    };

    // Whole microseconds between two counter readings, truncated, as (now - last) x 10^6 /
    // frequency would give in exact arithmetic; it cannot overflow for any interval the counter
    // can express.
    static std::int64_t elapsedMicroseconds(std::int64_t last, std::int64_t now,
                                            std::int64_t frequency);
    // Frame time in seconds from the microsecond count.
    static float toSeconds(std::int64_t microseconds);

    // Stores dt in the next slot; true when the ring has just been filled, time to print.
    bool record(float dt);
    // "%f %f %f %f %f %f %f %f %f %f " of the ring, slot 0 first; the writer adds the newline.
    Line formatLine() const;
    int getIndex() const { return index; }
    float getFrameTime(int slot) const { return frameTimes[slot]; }

    std::int64_t last = 0;       // counter value at the end of the previous iteration
    std::int64_t frequency = 1;  // counter ticks per second

private:
    float frameTimes[ringLength] = {};  // seconds
    int index = 0;                      // next slot
};
