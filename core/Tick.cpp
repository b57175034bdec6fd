#include "Tick.hpp"

#include "Sentences.hpp"

namespace quilvex {

std::size_t WidestStandardSecond(int perSecond)
{
    static const TickLength widest = WidestStandardTick();
    return widest.whole + static_cast<std::size_t>(perSecond - 1) * widest.everyEpoch;
}

bool CarriesStandardSecond(long long bitsPerSecond, int perSecond)
{
    return static_cast<long long>(WidestStandardSecond(perSecond)) * 10 * 10 <= bitsPerSecond * 9;
}

long long SlowestRateFor(int perSecond)
{
    // Ten bits a byte within 90 % of a second, rounded up.
    const long long bits = static_cast<long long>(WidestStandardSecond(perSecond)) * 10 * 10;
    return (bits + 8) / 9;
}

std::string JoinTick(const Tick& tick)
{
    std::string all;
    for (const std::string& sentence : tick.sentences)
        all += sentence;
    return all;
}

}  // namespace quilvex
