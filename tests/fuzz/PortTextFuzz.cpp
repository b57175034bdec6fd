// Port texts, rate and settings texts and --at instants: whatever is typed
// must give a number, a refusal or a value, never a crash.
#include "InstantText.hpp"
#include "PortRules.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const int port = quilvex::PortNumberFromText(text);
    if (port < -32767 || port > 32767)
        std::abort();
    (void)quilvex::IsDevicePathText(text);

    const std::string settings = quilvex::SettingsText(text);
    if (!settings.ends_with(",n,8,1"))
        std::abort();
    for (const std::string_view s : {std::string_view(settings), text}) {
        if (const auto line = quilvex::ParseSettings(s); line && line->rate <= 0)
            std::abort();
    }

    if (const auto instant = quilvex::ParseUtcInstant(text)) {
        const auto t = quilvex::SystemTimeAt(*instant);
        if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31 || t.wHour > 23 ||
            t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999)
            std::abort();
    }
    return 0;
}
