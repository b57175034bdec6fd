// Any prefecture text (invalid UTF-8 and odd Unicode included) through the
// lookup, the display texts and a whole tick; any texts at all as the
// coordinates and any snapshot as the time. Every sentence must stay framed.
#include "CoordinateDisplay.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

void CheckFramed(const quilvex::TickSentences& tick)
{
    for (const std::string& s : tick) {
        const std::size_t star = s.rfind('*');
        if (s.size() < 6 || s.front() != '$' || !s.ends_with("\r\n") || star != s.size() - 5)
            std::abort();
        if (quilvex::FrameSentence(std::string_view(s).substr(1, star - 1)) != s)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quilvex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const int slot = LookupPrefecture(text);
    if (slot < 0 || slot > kLastSlot || (slot != 0 && PrefectureTable[slot].name != text))
        std::abort();
    const PrefectureRow& row = PrefectureTable[slot];
    (void)LatitudeDisplayText(row.lat);
    (void)LongitudeDisplayText(row.lon);
    (void)LatitudeDisplayText(text);
    (void)LongitudeDisplayText(text);

    SystemTimeRecord snapshot{2010, 9, 4, 16, 4, 51, 35, 127};
    if (size >= sizeof snapshot)
        std::memcpy(&snapshot, data, sizeof snapshot);
    const TimeTexts texts = MakeTimeTexts(snapshot, std::string(text.substr(0, 2)));
    CheckFramed(ComposeTick(texts, row.lat, row.lon));
    const std::size_t half = size / 2;
    CheckFramed(ComposeTick(texts, text.substr(0, half), text.substr(half)));
    return 0;
}
