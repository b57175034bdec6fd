#include "ReceiverTexts.hpp"

#include "SettingRules.hpp"

#include <algorithm>

namespace quilvex {
namespace {

// A plain decimal, signed or not, within the range.
std::optional<double> Number(std::string_view text, bool signed_, const SettingRange& range)
{
    const auto value = DecimalValue(text, signed_ ? kSignedDecimal : kPlainDecimal);
    if (!value || !range.holds(*value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseLatitude(std::string_view text)
{
    return Number(text, true, kLatitudeRange);
}

std::optional<double> ParseLongitude(std::string_view text)
{
    return Number(text, true, kLongitudeRange);
}

std::optional<double> ParseAltitude(std::string_view text)
{
    return Number(text, true, kAltitudeRange);
}

std::optional<GeoPoint> ParsePosition(std::string_view text)
{
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
    if (first == std::string_view::npos)
        return std::nullopt;
    const auto lat = ParseLatitude(text.substr(0, first));
    const auto lon = ParseLongitude(text.substr(first + 1, second - first - 1));
    if (!lat || !lon)
        return std::nullopt;
    GeoPoint place{*lat, *lon, std::nullopt};
    if (second != std::string_view::npos) {
        place.altitude = ParseAltitude(text.substr(second + 1));
        if (!place.altitude)
            return std::nullopt;
    }
    return place;
}

std::optional<double> ParseSpeed(std::string_view text)
{
    return Number(text, false, kSpeedRange);
}

std::optional<double> ParseCourse(std::string_view text)
{
    return Number(text, false, kCourseRange);
}

std::optional<FixLossWindow> ParseFixLoss(std::string_view text)
{
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos)
        return std::nullopt;
    const auto after = WholeNumber(text.substr(0, plus));
    const auto length = WholeNumber(text.substr(plus + 1));
    if (!after || !length || *length < 1)
        return std::nullopt;
    return FixLossWindow{*after, *length};
}

std::optional<int> ParsePace(std::string_view text)
{
    const auto n = WholeNumber(text);
    return n && kPaceRange.holds(static_cast<double>(*n)) ? std::optional(static_cast<int>(*n)) : std::nullopt;
}

std::optional<Talker> ParseTalker(std::string_view text)
{
    if (text == "GP")
        return Talker::GP;
    if (text == "GN")
        return Talker::GN;
    return std::nullopt;
}

std::optional<NmeaFormat> ParseFormat(std::string_view text)
{
    if (text == "classic")
        return NmeaFormat::Classic;
    if (text == "standard")
        return NmeaFormat::Standard;
    return std::nullopt;
}

std::optional<Constellations> ParseConstellations(std::string_view text)
{
    if (text == "all")
        return Constellations(kConstellations.begin(), kConstellations.end());
    Constellations systems;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        const auto system = std::find_if(kConstellations.begin(), kConstellations.end(),
                                         [&](Constellation c) { return NameOf(c) == name; });
        if (system == kConstellations.end() || !systems.insert(*system).second)
            return std::nullopt;
        if (comma == std::string_view::npos)
            return systems;
        text.remove_prefix(comma + 1);
    }
}

std::optional<NmeaDialect> ParseDialect(std::string_view text)
{
    for (const NmeaDialect dialect : {NmeaDialect::V23, NmeaDialect::V410, NmeaDialect::V411})
        if (NameOf(dialect) == text)
            return dialect;
    return std::nullopt;
}

}  // namespace quilvex
