#pragma once

#include "modGeneral.hpp"

#include <string>

namespace quilvex {

// The decimal texts one snapshot yields, plus the local-clock hour.
struct TimeTexts {
    std::string YYYY;  // unpadded year
    std::string MO;
    std::string DD;
    std::string hh;
    std::string mm;
    std::string ss;
    std::string cc;  // hundredths, truncated: 999 ms is "99", never "100"
    std::string LH;  // local hour, read separately from the UTC snapshot
};

// Decimal text, with a "0" in front when it is one character long.
std::string TwoCharacterText(unsigned value);

TimeTexts MakeTimeTexts(const SystemTimeRecord& utc, std::string localHour);

// A tick's time, turned into calendar time once: the instant, its UTC
// fields and their texts, for the composer and the status line alike.
struct TickTime {
    UtcInstant instant;
    SystemTimeRecord utc;
    TimeTexts texts;
};

// At an instant, with the local hour by the host's time-zone rules.
TickTime TickTimeAt(UtcInstant instant);

// Of a snapshot of the clock and the local hour read with it.
TickTime TickTimeOf(const SystemTimeRecord& utc, std::string localHour);

}  // namespace quilvex
