#include "CoordinateDisplay.hpp"

#include "TimeTexts.hpp"

#include <cmath>
#include <cstdint>

namespace quilvex {
namespace {

std::string_view Part(std::string_view text, std::size_t from, std::size_t count)
{
    return from < text.size() ? text.substr(from, count) : std::string_view{};
}

// Whole seconds of a decimal fraction of a minute ("221600" -> 13). Nine
// digits are finer than a millimetre and keep the arithmetic in 64 bits.
std::string SecondsText(std::string_view fraction)
{
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
    for (std::size_t i = 0; i < fraction.size() && i < 9; ++i) {
        const char c = fraction[i];
        if (c < '0' || c > '9')
            break;
        numerator = numerator * 10 + static_cast<unsigned>(c - '0');
        denominator *= 10;
    }
    if (denominator == 1)
        return {};
    return TwoCharacterText(static_cast<unsigned>(numerator * 60 / denominator));
}

std::string DisplayText(std::string_view coordinate, std::size_t degreeDigits)
{
    std::string text;
    text.append(Part(coordinate, 0, degreeDigits));
    text.append("度");
    text.append(Part(coordinate, degreeDigits, 2));
    text.append("分");
    text.append(SecondsText(Part(coordinate, degreeDigits + 3, std::string_view::npos)));
    text.append("秒");
    return text;
}

}  // namespace

std::string LatitudeDisplayText(std::string_view lat)
{
    return DisplayText(lat, 2);
}

std::string LongitudeDisplayText(std::string_view lon)
{
    return DisplayText(lon, 3);
}

std::string DegreesDisplayText(double degrees)
{
    const long long seconds = static_cast<long long>(std::abs(degrees) * 3600);
    // Appended piece by piece: GCC 12 flags "literal" + std::string&& as overlapping.
    std::string text = degrees < 0 && seconds > 0 ? "-" : "";
    text.append(std::to_string(seconds / 3600)).append("度");
    text.append(std::to_string(seconds / 60 % 60)).append("分");
    return text.append(std::to_string(seconds % 60)).append("秒");
}

}  // namespace quilvex
