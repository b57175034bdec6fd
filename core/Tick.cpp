#include "Tick.hpp"

#include "Sentences.hpp"

namespace quilvex {

TickSentences ComposeTick(const TimeTexts& t, std::string_view lat, std::string_view lon)
{
    return {
        FrameSentence(ComposeZDA(t)),
        FrameSentence(ComposeGGA(t, lat, lon)),
        FrameSentence(ComposeGLL(t, lat, lon)),
        FrameSentence(ComposeVTG()),
        FrameSentence(ComposeRMC(t, lat, lon)),
        std::string(kFramedGSA),
    };
}

TickSentences ComposeTickNow(std::string_view lat, std::string_view lon)
{
    ReadUtcTime();
    return ComposeTick(MakeTimeTexts(SysTime, ReadLocalHourText()), lat, lon);
}

TickSentences ComposeTickAt(UtcInstant instant, std::string_view lat, std::string_view lon)
{
    return ComposeTick(MakeTimeTexts(SystemTimeAt(instant), LocalHourTextAt(instant)), lat, lon);
}

std::string JoinTick(const TickSentences& tick)
{
    std::string all;
    for (const std::string& sentence : tick)
        all += sentence;
    return all;
}

}  // namespace quilvex
