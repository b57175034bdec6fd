#include "Tick.hpp"

#include "Sentences.hpp"

namespace quilvex {

bool CarriesInASecond(long long bitsPerSecond, std::size_t bytes)
{
    return static_cast<long long>(bytes) * 10 * 10 <= bitsPerSecond * 9;
}

bool CarriesWholeStandardTick(long long bitsPerSecond, const Constellations& systems, NmeaDialect dialect)
{
    return CarriesInASecond(bitsPerSecond, WidestStandardTick(systems, dialect).whole);
}

std::size_t WidestStandardSecond(const TickLength& widest, int perSecond)
{
    return widest.whole + static_cast<std::size_t>(perSecond - 1) * widest.everyEpoch;
}

bool CarriesStandardSecond(long long bitsPerSecond, const TickLength& widest, int perSecond)
{
    return CarriesInASecond(bitsPerSecond, WidestStandardSecond(widest, perSecond));
}

long long SlowestRateFor(const TickLength& widest, int perSecond)
{
    // Ten bits a byte within 90 % of a second, rounded up.
    const long long bits = static_cast<long long>(WidestStandardSecond(widest, perSecond)) * 10 * 10;
    return (bits + 8) / 9;
}

std::optional<LineShortfall> LineShortfallOf(long long bitsPerSecond, const Constellations& systems,
                                             NmeaDialect dialect, int hz)
{
    const TickLength widest = WidestStandardTick(systems, dialect);
    if (hz == 1 || CarriesStandardSecond(bitsPerSecond, widest, hz))
        return std::nullopt;
    int fastest = 1;
    for (const int rate : kUpdateRates)
        if (CarriesStandardSecond(bitsPerSecond, widest, rate))
            fastest = rate;
    return LineShortfall{hz, bitsPerSecond, WidestStandardSecond(widest, hz), fastest, SlowestRateFor(widest, hz)};
}

std::string JoinTick(const Tick& tick)
{
    std::string all;
    for (const std::string& sentence : tick.sentences)
        all += sentence;
    return all;
}

}  // namespace quilvex
