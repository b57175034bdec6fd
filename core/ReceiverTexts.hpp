#pragma once

#include "Receiver.hpp"

#include <optional>
#include <string_view>

namespace quilvex {

// Command-line texts of the receiver's settings. Numbers are plain decimals:
// digits, and a point only between digits; no blanks, exponents, NaN or
// infinity. Anything else, or a value out of range, gives nothing.

// The ranges a place and a speed keep to, given or replayed.
inline constexpr double kLowestAltitude = -1000, kHighestAltitude = 100000, kMostKnots = 1000;

// "LAT,LON[,ALT]": signed degrees, latitude -90 to 90, longitude -180 to
// 180; metres above sea level, -1000 to 100000. "-33.8568,151.2153,58"
std::optional<GeoPoint> ParsePosition(std::string_view text);
// Its three parts alone, as route files give them.
std::optional<double> ParseLatitude(std::string_view text);
std::optional<double> ParseLongitude(std::string_view text);
std::optional<double> ParseAltitude(std::string_view text);

// Digits only: no sign (so no "-0"), no blanks, no point.
std::optional<long long> WholeNumber(std::string_view text);

// Knots, 0 to 1000.
std::optional<double> ParseSpeed(std::string_view text);

// Degrees true, 0 to under 360.
std::optional<double> ParseCourse(std::string_view text);

// "AFTER+FOR": no fix for FOR ticks (at least one) from tick AFTER on.
std::optional<FixLossWindow> ParseFixLoss(std::string_view text);

// "GP" or "GN".
std::optional<Talker> ParseTalker(std::string_view text);

// "classic" or "standard".
std::optional<NmeaFormat> ParseFormat(std::string_view text);

// "all", or systems by name, comma-separated: "gps,qzss". None twice.
std::optional<Constellations> ParseConstellations(std::string_view text);

// "2.3", "4.10" or "4.11".
std::optional<NmeaDialect> ParseDialect(std::string_view text);

}  // namespace quilvex
