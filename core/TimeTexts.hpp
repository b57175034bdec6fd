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

}  // namespace quilvex
