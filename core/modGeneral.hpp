#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace quilvex {

// Field for field the layout of the Windows SYSTEMTIME, so the Windows clock
// fills it directly.
struct SystemTimeRecord {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;  // 0 = Sunday; filled, never sent
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTimeRecord&, const SystemTimeRecord&) = default;
};

// Milliseconds are all a snapshot keeps, and unlike the nanosecond
// system_clock they reach any year a date text can name.
using UtcInstant = std::chrono::sys_time<std::chrono::milliseconds>;

UtcInstant UtcNow();

// The one snapshot of the UTC clock, overwritten by every tick.
extern SystemTimeRecord SysTime;

// Captures the UTC clock into SysTime in one reading, so date and time agree.
void ReadUtcTime();

// The broken-down UTC time of an instant, truncated to the millisecond.
SystemTimeRecord SystemTimeAt(UtcInstant instant);

// The hour of the local wall clock at an instant, "00" to "23", with the
// host's time-zone rules (TZ where set).
std::string LocalHourTextAt(UtcInstant instant);

// The same for the local clock read now.
std::string ReadLocalHourText();

}  // namespace quilvex
