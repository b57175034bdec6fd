// Every text a user can type goes through its reader: port and rate texts,
// network addresses, --at instants, prefecture names. Each must give a value
// or a refusal, never a crash; every tick built from any texts stays framed.
#include "CoordinateDisplay.hpp"
#include "InstantText.hpp"
#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace quilvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int port = PortNumberFromText(text);
    if (port < -32767 || port > 32767)
        std::abort();
    if (const auto line = ParseSettings(SettingsText(text)); line && line->rate <= 0)
        std::abort();
    if (const auto address = ParseNetworkAddress(text, kLocalHost); address && address->port == 0)
        std::abort();
    if (const auto instant = ParseUtcInstant(text)) {
        const auto t = SystemTimeAt(*instant);
        if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 ||
            t.wSecond > 59 || t.wMilliseconds > 999)
            std::abort();
    }
    const int slot = LookupPrefecture(text) + LookupPrefectureLatin(text);
    if (slot < 0 || slot > kLastSlot)
        std::abort();
    (void)(LatitudeDisplayText(text) + LongitudeDisplayText(text));

    SystemTimeRecord snapshot{2010, 9, 4, 16, 4, 51, 35, 127};
    if (size >= sizeof snapshot)
        std::memcpy(&snapshot, data, sizeof snapshot);
    const TimeTexts texts = MakeTimeTexts(snapshot, std::string(text.substr(0, 2)));
    for (const std::string& s : ComposeTick(texts, text.substr(0, size / 2), text.substr(size / 2))) {
        const std::size_t star = s.rfind('*');
        if (s.size() < 6 || s.front() != '$' || star != s.size() - 5 ||
            FrameSentence(std::string_view(s).substr(1, star - 1)) != s)
            std::abort();
    }
    return 0;
}
