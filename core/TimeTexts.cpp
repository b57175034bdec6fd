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

TickTime TickTimeAt(UtcInstant instant)
{
    const SystemTimeRecord utc = SystemTimeAt(instant);
    return {instant, utc, MakeTimeTexts(utc, LocalHourTextAt(instant))};
}

TickTime TickTimeOf(const SystemTimeRecord& utc, std::string localHour)
{
    using namespace std::chrono;
    const UtcInstant instant = sys_days{year{utc.wYear} / month{utc.wMonth} / day{utc.wDay}} + hours{utc.wHour} +
                               minutes{utc.wMinute} + seconds{utc.wSecond} + milliseconds{utc.wMilliseconds};
    return {instant, utc, MakeTimeTexts(utc, std::move(localHour))};
}

}  // namespace quilvex
