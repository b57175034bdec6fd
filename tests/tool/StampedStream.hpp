#pragma once

#include <string>

// Runs quilvex-nmea --at for `ticks` stamped ticks into a pseudo-terminal,
// reads the other end and checks every tick: whole, in order, the seconds
// counting on without a gap.
struct StampedStreamResult {
    int exitCode = -1;
    std::string toolError;
    long long bytes = 0;
    long long wholeTicksInOrder = 0;  // up to the first tick that was wrong
    std::string firstWrongTick;
    long earlyKiB = 0;  // resident memory after the first thousand ticks
    long lateKiB = 0;   // ... after nine tenths of them
    long peakKiB = 0;   // high-water mark near the end
    double seconds = 0;
};

StampedStreamResult RunStampedStream(const std::string& tool, long long ticks);
