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

std::string JoinTick(const Tick& tick)
{
    std::string all;
    for (const std::string& sentence : tick.sentences)
        all += sentence;
    return all;
}

}  // namespace quilvex
