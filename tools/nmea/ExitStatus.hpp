#pragma once

#include <array>
#include <string_view>

namespace quilvex {

// Exit statuses of quilvex-nmea.
enum ExitStatus {
    kExitDone = 0,         // count reached, or stopped by a signal, every byte out
    kExitOutputFailed = 1, // an output could not be opened, was lost, or refused a write; a file could not be read
    kExitUsage = 2,        // a bad command line, a route or log with nothing to use, or stamps past year 9999
    kExitHeld = 3,         // ended with bytes that a held line never took
};

// What each status means, once: --help, the man page's EXIT STATUS and the
// README's table are made from these rows ({braces} as in the option table).
struct ExitStatusRow {
    ExitStatus status;
    std::string_view meaning;
};

inline constexpr std::array kExitStatusTable{
    ExitStatusRow{kExitDone, "done: the count was reached, a --replay log ended, or {stop-signals} ended the run, "
                             "and every byte left"},
    ExitStatusRow{kExitOutputFailed,
                  "a --route or --replay file could not be read, or with --loop read again (it is named, with why: "
                  "missing, no permission, a directory); an output failed: a port, address or path could not be "
                  "opened, a port refused the rate, a port went away while sending, standard output is closed or "
                  "refused a write (a full disk, a reader gone), even on the last tick; no name server answered for a "
                  "host name; or a stop found the program busy for 2 s"},
    ExitStatusRow{kExitUsage,
                  "a bad command line: an unknown or repeated option, options that do not go together, an empty "
                  "value or one out of range, a host name that does not exist; a --route or --replay file with "
                  "nothing to use in it (empty, not text, a line or GPX point that is no point, a GPX file with no "
                  "points or past the bounds README.md gives, a log with no fix, a FIFO nobody wrote to within "
                  "3 s, a terminal), named with what was found; or stamped ticks that reached the end of year 9999"},
    ExitStatusRow{kExitHeld, "the run ended while bytes still waited on a held line, a virtual port a reader holds "
                             "open without reading, or a standard output nobody reads (\"N bytes could not leave "
                             "...\")"},
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
