#include "Pattern.hpp"

namespace quilvex {

std::string FilledPattern(std::string_view pattern, const std::vector<PatternPiece>& pieces)
{
    std::string text;
    while (!pattern.empty()) {
        const std::size_t open = pattern.find('{');
        text.append(pattern.substr(0, open));
        if (open == std::string_view::npos)
            break;
        const std::size_t close = pattern.find('}', open);
        const std::string_view name = pattern.substr(open + 1, close - open - 1);
        for (const PatternPiece& piece : pieces)
            if (piece.name == name)
                text += piece.value;
        pattern.remove_prefix(close + 1);
    }
    return text;
}

}  // namespace quilvex
