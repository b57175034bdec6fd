#include "SettingRules.hpp"

#include "Pattern.hpp"

#include <charconv>
#include <utility>

namespace quilvex {
namespace {

constexpr std::array kSettingRules{
    SettingRule{Setting::Position, "position",
                "LAT,LON[,ALT]: degrees of latitude from {lat-low} to {lat-high} and of longitude from {lon-low} to "
                "{lon-high}, south and west negative, and metres from {alt-low} to {alt-high}, such as "
                "-33.8568,151.2153,58",
                "緯度は {lat-low} から {lat-high}、経度は {lon-low} から {lon-high} までの度（南緯・西経は負）、"
                "高度は {alt-low} から {alt-high} までのメートルで入れてください（例: 35.6895、139.6917、40）。"},
    SettingRule{Setting::Speed, "speed", "knots from {low} to {high}, such as 12.5",
                "速度は {low} から {high} までのノットで入れてください（例: 12.5）。"},
    SettingRule{Setting::Course, "course", "degrees true from {low} to under {high}, such as 45",
                "針路は {low} 以上 {high} 未満の度（真方位）で入れてください（例: 45）。"},
    SettingRule{Setting::Pace, "pace", "a whole number from {low} to {high}",
                "倍速は {low} から {high} までの整数で入れてください。"},
    SettingRule{Setting::Format, "format", "classic or standard", "形式は従来か標準を選んでください。"},
    SettingRule{Setting::Talker, "talker", "GP or GN", "トーカーは GP か GN を選んでください。"},
    SettingRule{Setting::RouteSpeed, "route", "a --speed above {low}",
                "経路をたどるには {low} より大きい速度を入れてください。"},
    SettingRule{Setting::Gnss, "gnss", "all, or any of gps, glonass, galileo, beidou and qzss, comma-separated, each once",
                "衛星システムを一つ以上選んでください。"},
    SettingRule{Setting::Nmea, "nmea", "2.3, 4.10 or 4.11", "NMEA の版は 2.3、4.10、4.11 から選んでください。"},
    SettingRule{Setting::OneSystemDialect, "nmea",
                "NMEA 2.3 has no way to say which system a satellite belongs to (use 4.10 or 4.11)",
                "NMEA 2.3 では衛星がどのシステムのものかを示せません。GPS 以外も送るには 4.10 か 4.11 を選んでください。"},
};

// A line too slow for the update rate; {hz}, {rate}, {bytes}, {fits} and
// {needs} stand for the shortfall's values.
struct LineRule {
    std::string_view english, japanese;
};
constexpr LineRule kLineRule{
    "--hz {hz} does not fit --rate {rate}: a second of standard sentences at {hz} Hz is up to {bytes} bytes, more than "
    "{rate} bit/s carries in 90 % of a second; the most that fits {rate} bit/s is --hz {fits}, and --hz {hz} needs "
    "--rate {needs} or more",
    "更新レート {hz} Hz は {rate} bps では送れません。{hz} Hz の標準の文は 1 秒に最大 {bytes} バイトで、{rate} bps "
    "で 1 秒の 90 % に送れる量を超えます。{rate} bps で送れるのは {fits} Hz まで、{hz} Hz には {needs} bps "
    "以上が要ります。"};

static_assert(InEnumOrder(kSettingRules, &SettingRule::setting, Setting::OneSystemDialect),
              "one rule per setting, in the order of the settings");

std::string Number(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    return {text, end};
}

const SettingRange* RangeOf(Setting setting)
{
    switch (setting) {
    case Setting::Speed:
    case Setting::RouteSpeed:
        return &kSpeedRange;
    case Setting::Course:
        return &kCourseRange;
    case Setting::Pace:
        return &kPaceRange;
    default:
        return nullptr;
    }
}

std::string Filled(std::string_view pattern, const SettingRange* range)
{
    std::vector<PatternPiece> pieces{
        {"lat-low", Number(kLatitudeRange.low)},   {"lat-high", Number(kLatitudeRange.high)},
        {"lon-low", Number(kLongitudeRange.low)},  {"lon-high", Number(kLongitudeRange.high)},
        {"alt-low", Number(kAltitudeRange.low)},   {"alt-high", Number(kAltitudeRange.high)},
    };
    if (range)
        pieces.insert(pieces.end(), {{"low", Number(range->low)}, {"high", Number(range->high)}});
    return FilledPattern(pattern, pieces);
}

}  // namespace

std::string SettingTakes(Setting setting, Language language)
{
    const SettingRule& rule = kSettingRules[static_cast<std::size_t>(setting)];
    return Filled(language == Language::English ? rule.english : rule.japanese, RangeOf(setting));
}

std::string SettingRefusal(Setting setting, Language language, std::string_view given)
{
    const SettingRule& rule = kSettingRules[static_cast<std::size_t>(setting)];
    if (language == Language::English)
        return "--" + std::string(rule.option) + " takes " + SettingTakes(setting, language) + ", not \"" +
               std::string(given) + "\"";
    return "「" + std::string(given) + "」は使えません。" + SettingTakes(setting, language);
}

std::string LineRefusal(const LineShortfall& shortfall, Language language)
{
    return FilledPattern(language == Language::English ? kLineRule.english : kLineRule.japanese,
                         {{"hz", std::to_string(shortfall.hz)},
                          {"rate", std::to_string(shortfall.bitsPerSecond)},
                          {"bytes", std::to_string(shortfall.bytes)},
                          {"fits", std::to_string(shortfall.fastestHz)},
                          {"needs", std::to_string(shortfall.slowestRate)}});
}

std::string RangeText(const SettingRange& range)
{
    return Number(range.low) + (range.highIncluded ? " to " : " to under ") + Number(range.high);
}

}  // namespace quilvex
