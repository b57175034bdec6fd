#include "Tick.hpp"

#include "Sentences.hpp"

namespace quilvex {

Tick ComposeTick(const TimeTexts& t, std::string_view lat, std::string_view lon)
{
    const PlaceTexts place{lat, "N", lon, "E"};
    Tick tick{{
        FrameSentence(ComposeZDA(t)),
        FrameSentence(ComposeGGA(t, place)),
        FrameSentence(ComposeGLL(t, place)),
        FrameSentence(ComposeVTG()),
        FrameSentence(ComposeRMC(t, place)),
        std::string(kFramedGSA),
    }};
    tick.skyFrom = tick.sentences.size();
    return tick;
}

Tick ComposeTickNow(std::string_view lat, std::string_view lon)
{
    ReadUtcTime();
    return ComposeTick(MakeTimeTexts(SysTime, ReadLocalHourText()), lat, lon);
}

Tick ComposeTickAt(UtcInstant instant, std::string_view lat, std::string_view lon)
{
    return ComposeTick(MakeTimeTexts(SystemTimeAt(instant), LocalHourTextAt(instant)), lat, lon);
}

bool CarriesWholeStandardTick(long long bitsPerSecond)
{
    static const std::size_t bytes = WidestStandardTick().whole;
    return static_cast<long long>(bytes) * 10 * 10 <= bitsPerSecond * 9;
}

std::string JoinTick(const Tick& tick)
{
    std::string all;
    for (const std::string& sentence : tick.sentences)
        all += sentence;
    return all;
}

}  // namespace quilvex
