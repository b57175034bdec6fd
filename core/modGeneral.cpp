#include "modGeneral.hpp"

#include "TimeTexts.hpp"

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quilvex {

SystemTimeRecord SysTime;

namespace {

std::time_t SecondsSinceEpoch(UtcInstant instant)
{
    return static_cast<std::time_t>(
        std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count());
}

// Local broken-down time with the host's zone rules; false where the
// platform cannot convert the instant.
bool ToLocalTime(std::time_t seconds, std::tm& local);

}  // namespace

SystemTimeRecord SystemTimeAt(UtcInstant instant)
{
    using namespace std::chrono;
    const auto day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss time{instant - day};
    SystemTimeRecord r;
    r.wYear = static_cast<std::uint16_t>(static_cast<int>(date.year()));
    r.wMonth = static_cast<std::uint16_t>(static_cast<unsigned>(date.month()));
    r.wDayOfWeek = static_cast<std::uint16_t>(weekday{day}.c_encoding());
    r.wDay = static_cast<std::uint16_t>(static_cast<unsigned>(date.day()));
    r.wHour = static_cast<std::uint16_t>(time.hours().count());
    r.wMinute = static_cast<std::uint16_t>(time.minutes().count());
    r.wSecond = static_cast<std::uint16_t>(time.seconds().count());
    r.wMilliseconds = static_cast<std::uint16_t>(time.subseconds().count());
    return r;
}

std::string LocalHourTextAt(UtcInstant instant)
{
    std::tm local{};
    // The Windows CRT refuses instants before 1970 and after 3000; the UTC
    // hour is the best left then.
    if (!ToLocalTime(SecondsSinceEpoch(instant), local))
        return TwoCharacterText(SystemTimeAt(instant).wHour);
    return TwoCharacterText(static_cast<unsigned>(local.tm_hour));
}

std::string ReadLocalHourText()
{
    return LocalHourTextAt(UtcNow());
}

#ifdef _WIN32

// The precise clock: the plain GetSystemTimeAsFileTime moves in 15.6 ms
// steps, which the centiseconds of every stamp would show.
UtcInstant UtcNow()
{
    FILETIME fileTime;
    GetSystemTimePreciseAsFileTime(&fileTime);
    const long long ticks = (static_cast<long long>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    constexpr long long kUnixEpochTicks = 116444736000000000LL;  // 100 ns units from 1601 to 1970
    return UtcInstant(std::chrono::milliseconds((ticks - kUnixEpochTicks) / 10000));
}

void ReadUtcTime()
{
    FILETIME fileTime;
    SYSTEMTIME st;
    GetSystemTimePreciseAsFileTime(&fileTime);
    FileTimeToSystemTime(&fileTime, &st);
    SysTime = {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay,
               st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

namespace {
bool ToLocalTime(std::time_t seconds, std::tm& local)
{
    return localtime_s(&local, &seconds) == 0;
}
}  // namespace

#else

UtcInstant UtcNow()
{
    return std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
}

void ReadUtcTime()
{
    SysTime = SystemTimeAt(UtcNow());
}

namespace {
bool ToLocalTime(std::time_t seconds, std::tm& local)
{
    return localtime_r(&seconds, &local) != nullptr;
}
}  // namespace

#endif

}  // namespace quilvex
