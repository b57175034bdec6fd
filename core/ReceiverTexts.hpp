#pragma once

#include "NumberText.hpp"
#include "Receiver.hpp"

#include <optional>
#include <string_view>

namespace quilvex {

// Texts of the receiver's settings, as the command line and the window's
// dialog take them, within the ranges of SettingRules. Numbers are plain decimals:
// digits, and a point only between digits; no blanks, exponents, NaN or
// infinity. Anything else, or a value out of range, gives nothing.

// "LAT,LON[,ALT]": signed degrees of latitude and longitude, metres above
// sea level. "-33.8568,151.2153,58"
std::optional<GeoPoint> ParsePosition(std::string_view text);
// Its three parts alone, as route files give them.
std::optional<double> ParseLatitude(std::string_view text);
std::optional<double> ParseLongitude(std::string_view text);
std::optional<double> ParseAltitude(std::string_view text);

// Digits only: no sign (so no "-0"), no blanks, no point.
inline std::optional<long long> WholeNumber(std::string_view text)
{
    return WholeValue<long long>(text);
}

// Knots.
std::optional<double> ParseSpeed(std::string_view text);

// Degrees true.
std::optional<double> ParseCourse(std::string_view text);

// "AFTER+FOR": no fix for FOR ticks (at least one) from tick AFTER on.
std::optional<FixLossWindow> ParseFixLoss(std::string_view text);

// Times the recorded speed, whole.
std::optional<int> ParsePace(std::string_view text);

// "GP" or "GN".
std::optional<Talker> ParseTalker(std::string_view text);

// "classic" or "standard".
std::optional<NmeaFormat> ParseFormat(std::string_view text);

// "all", or systems by name, comma-separated: "gps,qzss". None twice.
std::optional<Constellations> ParseConstellations(std::string_view text);

// "2.3", "4.10" or "4.11".
std::optional<NmeaDialect> ParseDialect(std::string_view text);

}  // namespace quilvex
