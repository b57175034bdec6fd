#include "TimeTexts.hpp"

#include <utility>

namespace quilvex {

std::string TwoCharacterText(unsigned value)
{
    std::string text = std::to_string(value);
    if (text.size() == 1)
        text.insert(text.begin(), '0');
    return text;
}

TimeTexts MakeTimeTexts(const SystemTimeRecord& utc, std::string localHour)
{
    return TimeTexts{
        std::to_string(utc.wYear),
        TwoCharacterText(utc.wMonth),
        TwoCharacterText(utc.wDay),
        TwoCharacterText(utc.wHour),
        TwoCharacterText(utc.wMinute),
        TwoCharacterText(utc.wSecond),
        TwoCharacterText(utc.wMilliseconds / 10u),
        std::move(localHour),
    };
}

}  // namespace quilvex
