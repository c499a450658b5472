// FrameClock: microsecond frame times and the ten-frame print line.
#include "app/FrameClock.h"

#include <cstdio>

std::int64_t FrameClock::elapsedMicroseconds(std::int64_t last, std::int64_t now,
                                             std::int64_t frequency) {
    // NOTE: multiplying the tick count by 10^6 first overflows 64 bits after about 2.5 hours
    // of a nanosecond counter; splitting into whole seconds and a remainder gives the same
    // truncated result without the overflow.
    const std::int64_t ticks = now - last;
    const std::int64_t seconds = ticks / frequency;
    const std::int64_t rest = ticks % frequency;
    return seconds * 1000000 + rest * 1000000 / frequency;
}

float FrameClock::toSeconds(std::int64_t microseconds) {
    return static_cast<float>(microseconds) / 1000000.0f;
}

bool FrameClock::record(float dt) {
    frameTimes[index] = dt;
    ++index;
    if (index > ringLength - 1) {
        index = 0;
        return true;
    }
    return false;
}

FrameClock::Line FrameClock::formatLine() const {
    Line line;
    std::snprintf(line.text, sizeof line.text, "%f %f %f %f %f %f %f %f %f %f ",
                  static_cast<double>(frameTimes[0]), static_cast<double>(frameTimes[1]),
                  static_cast<double>(frameTimes[2]), static_cast<double>(frameTimes[3]),
                  static_cast<double>(frameTimes[4]), static_cast<double>(frameTimes[5]),
                  static_cast<double>(frameTimes[6]), static_cast<double>(frameTimes[7]),
                  static_cast<double>(frameTimes[8]), static_cast<double>(frameTimes[9]));
    return line;
}
