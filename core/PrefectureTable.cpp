#include "PrefectureTable.hpp"

#include "ReceiverTexts.hpp"

#include <algorithm>

namespace quilvex {

int LookupPrefecture(std::string_view text)
{
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        if (PrefectureTable[slot].name == text)
            return slot;
    }
    return 0;
}

int LookupPrefectureLatin(std::string_view text)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const std::string_view latin = PrefectureTable[slot].latin;
        if (latin.size() == text.size() &&
            std::equal(latin.begin(), latin.end(), text.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return slot;
    }
    return 0;
}

int PrefectureSlot(std::string_view text)
{
    if (const int slot = LookupPrefecture(text); slot != 0)
        return slot;
    if (const int slot = LookupPrefectureLatin(text); slot != 0)
        return slot;
    const auto number = WholeNumber(text);
    return number && *number >= kFirstSlot && *number <= kLastSlot ? static_cast<int>(*number) : 0;
}

}  // namespace quilvex
