#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quilvex {

// The one reader of numbers written in decimal: every typed text, route or
// log field and table text goes through it, each caller naming the form it
// takes. Never blanks, exponents, NaN or infinity.

// Digits only: no sign, blank or point; the whole text, within T.
template <std::integral T>
std::optional<T> WholeValue(std::string_view text)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text[0] < '0' || text[0] > '9' || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The form a decimal number takes: digits, and one point.
struct DecimalForm {
    bool minus;      // a leading '-' may come
    bool plus;       // a leading '+' may come
    bool barePoint;  // ".5" and "5." as well as "0.5" and "5"
};
inline constexpr DecimalForm kPlainDecimal{false, false, false};   // "12.5"
inline constexpr DecimalForm kSignedDecimal{true, true, false};    // "-33.8568", "+151.2"
inline constexpr DecimalForm kFieldDecimal{true, false, true};     // a log's field: "-.5", "5."
inline constexpr DecimalForm kLooseDecimal{true, true, true};      // a port text's number: "+.5"

// How long the number of that form is that text starts with; 0 for none.
std::size_t DecimalLength(std::string_view text, DecimalForm form);

// The whole text as a number of that form; nothing if it is not one, or is
// too large or too small for a double.
std::optional<double> DecimalValue(std::string_view text, DecimalForm form);

}  // namespace quilvex
