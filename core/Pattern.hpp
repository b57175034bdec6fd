#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quilvex {

// A text with {name} places, each filled with its piece's value; a place
// no piece names is left empty.
struct PatternPiece {
    std::string_view name;
    std::string value;
};
// One pass over the pattern, so braces in a value (what a user typed) stay as typed.
std::string FilledPattern(std::string_view pattern, const std::vector<PatternPiece>& pieces);

// Rows in the order of their enum, so a value is its row's index.
template <class Rows, class Key>
constexpr bool InEnumOrder(const Rows& rows, Key Rows::value_type::*key, Key last)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (static_cast<std::size_t>(rows[i].*key) != i)
            return false;
    return rows.back().*key == last;
}

}  // namespace quilvex
