#pragma once

#include <array>

namespace quilvex {

// Exit statuses of quilvex-nmea.
enum ExitStatus {
    kExitDone = 0,         // count reached, or stopped by a signal, every byte out
    kExitOutputFailed = 1, // an output could not be opened, was lost, or refused a write; a file could not be read
    kExitUsage = 2,        // a bad command line, a route or log with nothing to use, or stamps past year 9999
    kExitHeld = 3,         // ended with bytes that a held line never took
};

// A run can end for more than one reason; its status is the one that tells
// the most. A failure to deliver outranks every other ending, bytes left
// held outrank the end of the stamps, and any of them outranks done.
inline constexpr std::array kStatusRanking{kExitOutputFailed, kExitHeld, kExitUsage, kExitDone};

constexpr ExitStatus Outranking(ExitStatus a, ExitStatus b)
{
    for (const ExitStatus status : kStatusRanking)
        if (status == a || status == b)
            return status;
    return a;
}

}  // namespace quilvex
