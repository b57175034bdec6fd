#include "Tick.hpp"

#include "Sentences.hpp"

namespace quilvex {

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
