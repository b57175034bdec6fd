#pragma once

#include "Language.hpp"
#include "Tick.hpp"

#include <array>
#include <string>
#include <string_view>

namespace quilvex {

// The receiver's settings that both front ends take, the command line as
// options and the window in its settings dialog: their ranges, and what a
// refused text is told, in English and in Japanese. The readers of the
// texts (ReceiverTexts) check against these ranges.
enum class Setting { Position, Speed, Course, Pace, Format, Talker, RouteSpeed, Gnss, Nmea, OneSystemDialect };

// Decimal numbers from low to high; the top itself may be left out.
struct SettingRange {
    double low, high;
    bool highIncluded = true;
    constexpr bool holds(double value) const { return value >= low && (highIncluded ? value <= high : value < high); }
};

inline constexpr SettingRange kLatitudeRange{-90, 90};
inline constexpr SettingRange kLongitudeRange{-180, 180};
inline constexpr SettingRange kAltitudeRange{-1000, 100000};  // metres above mean sea level
inline constexpr SettingRange kSpeedRange{0, 1000};           // knots
inline constexpr SettingRange kCourseRange{0, 360, false};    // degrees true
inline constexpr SettingRange kPaceRange{1, 100};             // times the recorded speed, whole


// The option's name without "--", the English text that follows
// "--OPTION takes ", and the dialog's Japanese sentence. {low} and {high}
// stand for the setting's range.
struct SettingRule {
    Setting setting;
    std::string_view option;
    std::string_view english;
    std::string_view japanese;
};

// What the setting takes: English as "--speed takes" goes on, Japanese as
// the dialog says it; the range filled in.
std::string SettingTakes(Setting setting, Language language);

// The refusal of a given text: "--speed takes knots from 0 to 1000, such
// as 12.5, not \"1001\"", or the Japanese sentence with the text quoted.
std::string SettingRefusal(Setting setting, Language language, std::string_view given);

// Why a line cannot carry the update rate: "--hz 5 does not fit --rate
// 4800: ..." in English, the window's sentence in Japanese.
std::string LineRefusal(const LineShortfall& shortfall, Language language);

// The range as the help says it: "0 to 1000", "0 to under 360".
std::string RangeText(const SettingRange& range);

}  // namespace quilvex
