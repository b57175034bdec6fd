#include "PrefectureTable.hpp"

namespace quilvex {

int LookupPrefecture(std::string_view text)
{
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        if (PrefectureTable[slot].name == text)
            return slot;
    }
    return 0;
}

}  // namespace quilvex
