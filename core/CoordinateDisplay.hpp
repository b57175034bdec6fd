#pragma once

#include <string>
#include <string_view>

namespace quilvex {

// "3541.221600" -> "35度41分13秒": degrees and whole minutes as they stand,
// then the minute's fraction turned into whole seconds (truncated). A part
// that lies beyond the end of the text is empty, so "" gives "度分秒".
std::string LatitudeDisplayText(std::string_view lat);

// "13941.301400" -> "139度41分18秒", by the same rule with three degree digits.
std::string LongitudeDisplayText(std::string_view lon);

// Signed decimal degrees as the fields show a place that is no seat:
// -33.8568 -> "-33度51分24秒", the seconds truncated.
std::string DegreesDisplayText(double degrees);

}  // namespace quilvex
