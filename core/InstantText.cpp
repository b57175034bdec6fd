#include "InstantText.hpp"

#include "NumberText.hpp"

namespace quilvex {
namespace {

// Exactly `width` decimal digits at `pos`.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t width)
{
    if (pos + width > text.size())
        return std::nullopt;
    return WholeValue<int>(text.substr(pos, width));
}

bool CharAt(std::string_view text, std::size_t pos, char c)
{
    return pos < text.size() && text[pos] == c;
}

}  // namespace

std::optional<UtcInstant> ParseUtcInstant(std::string_view text)
{
    using namespace std::chrono;
    // YYYY-MM-DDThh:mm:ss[.f[f[f]]]Z
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2);
    const auto minute = Digits(text, 14, 2);
    const auto second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !CharAt(text, 4, '-') ||
        !CharAt(text, 7, '-') || !CharAt(text, 10, 'T') || !CharAt(text, 13, ':') ||
        !CharAt(text, 16, ':'))
        return std::nullopt;

    std::size_t pos = 19;
    int millis = 0;
    if (CharAt(text, pos, '.')) {
        ++pos;
        int scale = 100;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (++digits > 3)
                return std::nullopt;
            millis += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (digits == 0)
            return std::nullopt;
    }
    if (pos + 1 != text.size() || text[pos] != 'Z')
        return std::nullopt;

    const year_month_day date{std::chrono::year{*year}, std::chrono::month{unsigned(*month)},
                              std::chrono::day{unsigned(*day)}};
    if (*year < 1000 || !date.ok() || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;

    return sys_days{date} + hours{*hour} + minutes{*minute} + seconds{*second} +
           milliseconds{millis};
}

}  // namespace quilvex
