#include "NumberText.hpp"

namespace quilvex {
namespace {

std::size_t DigitsEnd(std::string_view text, std::size_t from)
{
    while (from < text.size() && text[from] >= '0' && text[from] <= '9')
        ++from;
    return from;
}

}  // namespace

std::size_t DecimalLength(std::string_view text, DecimalForm form)
{
    const bool sign = !text.empty() && ((text[0] == '-' && form.minus) || (text[0] == '+' && form.plus));
    const std::size_t start = sign ? 1 : 0;
    const std::size_t whole = DigitsEnd(text, start);
    std::size_t end = whole;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = DigitsEnd(text, end + 1);
        const bool before = whole > start, after = fraction > end + 1;
        if (form.barePoint ? before || after : before && after)
            end = fraction;
    }
    return end > start ? end : 0;
}

std::optional<double> DecimalValue(std::string_view text, DecimalForm form)
{
    if (text.empty() || DecimalLength(text, form) != text.size())
        return std::nullopt;
    if (text[0] == '+')
        text.remove_prefix(1);  // from_chars takes a minus only
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace quilvex
