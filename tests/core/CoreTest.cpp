#include "CoordinateDisplay.hpp"
#include "HeldLine.hpp"
#include "InstantText.hpp"
#include "LinkError.hpp"
#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"
#include "TickSchedule.hpp"

#include "WorkedExample.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace quilvex;
using namespace std::chrono;

namespace {

// POSIX zone texts such as "JST-9" mean the same to glibc and the Windows CRT.
void SetZone(const char* zone)
{
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}

Tick TickAt(const char* instant, int slot = 13)
{
    return ComposeTickAt(ParseUtcInstant(instant).value(), PrefectureTable[slot].lat, PrefectureTable[slot].lon);
}

}  // namespace

TEST(Core, GoldenTickAndSlotZero)
{
    SetZone("JST-9");
    EXPECT_EQ(JoinTick(TickAt("2010-09-16T04:51:35.127Z")), kWorkedExampleTick);
    EXPECT_EQ(FrameSentence("GPGSA,A,3,,,,,,,,,,,,,0,0,0"), kFramedGSA);
    EXPECT_EQ(TickAt("2010-09-16T04:51:35.127Z", 0)[1], "$GPGGA,045135.12,,N,,E,1,08,0.9,0,M,0,M,5.0,1012*41\r\n");
}

// Midnight local, the last hundredth, the 9/10 ms boundary, zones ahead of and
// behind UTC, before 1970 and the last year.
TEST(Core, TimeEdges)
{
    const struct {
        const char *zone, *instant, *zda, *rmcDate;
    } rows[] = {
        {"JST-9", "2010-09-16T15:30:00Z", "$GPZDA,153000.00,16,09,2010,00,30*6F\r\n", "160910"},
        {"EST5", "2010-01-01T03:00:00Z", "$GPZDA,030000.00,01,01,2010,22,00*66\r\n", "010110"},
        {"IST-5:30", "2010-09-16T18:30:00Z", "$GPZDA,183000.00,16,09,2010,00,30*62\r\n", "160910"},
        {"UTC0", "2099-12-31T23:59:59.999Z", "$GPZDA,235959.99,31,12,2099,23,59*69\r\n", "311299"},
        {"UTC0", "2010-09-16T04:51:35.009Z", "$GPZDA,045135.00,16,09,2010,04,51*6D\r\n", "160910"},
        {"UTC0", "2010-09-16T04:51:35.010Z", "$GPZDA,045135.01,16,09,2010,04,51*6C\r\n", "160910"},
        {"UTC0", "1969-12-31T23:59:59.500Z", "$GPZDA,235959.50,31,12,1969,23,59*69\r\n", "311269"},
        {"UTC0", "9999-12-31T23:59:59.999Z", "$GPZDA,235959.99,31,12,9999,23,59*6B\r\n", "311299"},
    };
    for (const auto& row : rows) {
        SetZone(row.zone);
        const Tick tick = TickAt(row.instant);
        EXPECT_EQ(tick[0], row.zda) << row.instant;
        EXPECT_EQ(tick[4].substr(60, 6), row.rmcDate) << tick[4];
    }
}

TEST(Core, LookupAndDisplay)
{
    const struct {
        const char* text;
        int slot;
        const char *lat, *lon;
    } rows[] = {
        {"東京都", 13, "35度41分13秒", "139度41分18秒"},
        {"北海道", 1, "43度03分30秒", "141度20分30秒"},  // .5145' is 30.87": truncated
        {"福島県", 7, "37度45分00秒", "140度28分01秒"},
        {"愛知県", 23, "35度10分29秒", "136度54分14秒"},
        {"沖縄県", 47, "26度12分26秒", "127度40分30秒"},
        {"東京都 ", 0, "度分秒", "度分秒"},
        {"Tokyo", 0, "度分秒", "度分秒"},
    };
    for (const auto& row : rows) {
        const int slot = LookupPrefecture(row.text);
        EXPECT_EQ(slot, row.slot) << row.text;
        EXPECT_EQ(LatitudeDisplayText(PrefectureTable[slot].lat), row.lat) << row.text;
        EXPECT_EQ(LongitudeDisplayText(PrefectureTable[slot].lon), row.lon) << row.text;
    }
    EXPECT_EQ(LookupPrefectureLatin("tokyo"), 13);
    EXPECT_EQ(LookupPrefectureLatin("OKINAWA"), 47);
    EXPECT_EQ(LookupPrefectureLatin("Toky"), 0);
}

TEST(Core, PortTexts)
{
    const struct {
        const char* text;
        PortProblem problem;
        int number;
    } rows[] = {
        {"COM1", PortProblem::None, 1},          {"com15", PortProblem::None, 15},
        {"COM", PortProblem::NoPortNumber, 0},   {"COM0", PortProblem::NoPortNumber, 0},
        {"COM.5", PortProblem::NoPortNumber, 0}, {"COM2.5", PortProblem::None, 2},
        {"COM3.5", PortProblem::None, 4},        {"COM123", PortProblem::None, 123},
        {"COM32768", PortProblem::NoPortNumber, 0},
        {"ACM1", PortProblem::NotAPortName, 0},  {"USB1", PortProblem::NotAPortName, 0},
        {"tty1", PortProblem::NotAPortName, 0},  {"xyz1", PortProblem::NotAPortName, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PortNumberFromText(row.text), row.number) << row.text;
        if (row.problem != PortProblem::None) {  // the rest may name a real port: never touched here
            EXPECT_EQ(ResolvePortText(row.text).problem, row.problem) << row.text;
        }
    }
#ifdef _WIN32
    EXPECT_EQ(DeviceForPortNumber(10), "COM10");
#else
    EXPECT_EQ(DeviceForPortNumber(1), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortText("/dev/null").problem, PortProblem::NotADevice);
    EXPECT_EQ(ResolvePortText("/nonexistent/tty").problem, PortProblem::Missing);
#endif
    const std::string longText(200, 'x');
    EXPECT_EQ(ShortenedForMessage(longText), std::string(30, 'x') + "..." + std::string(30, 'x'));
}

TEST(Core, NetworkAddresses)
{
    EXPECT_EQ(ParseNetworkAddress(":10110", kLocalHost)->host, "127.0.0.1");  // nothing beyond this machine unasked
    EXPECT_EQ(ParseNetworkAddress("[::1]:65535", kLocalHost)->host, "::1");
    EXPECT_FALSE(ParseNetworkAddress("65536", kLocalHost) || ParseNetworkAddress("host:", kLocalHost));
}

// The clock as the tick timer sees it at each wake-up: on time, a step back,
// a step forward, a late loop.
TEST(Core, TickSchedule)
{
    const auto t0 = sys_days{2026y / 12 / 7} + 10h;
    TickSchedule schedule;
    EXPECT_EQ(schedule.arm(t0 + 200ms), 797ms);
    EXPECT_EQ(schedule.target(), t0 + 1s);
    const struct {
        milliseconds clock;  // wall clock at the wake-up, from t0
        bool send;
        milliseconds target;  // the second the next tick is for, from t0
    } rows[] = {
        {997ms, true, 1000ms},      // on time: the last 3 ms are slept
        {1998ms, true, 2000ms},
        {-118000ms, false, -117000ms},  // stepped back two minutes: the next second of the new clock
        {-117002ms, true, -117000ms},
        {-117200ms, false, -116000ms},  // back again: the second just sent is not sent twice
        {-116003ms, true, -116000ms},
        {600000ms, false, 601000ms},    // stepped forward ten minutes
        {601400ms, true, 601000ms},     // a late loop still sends
        {603000ms, false, 604000ms},    // the second is gone: none sent in a burst
    };
    for (const auto& row : rows) {
        const TickSchedule::Step step = schedule.wake(t0 + row.clock);
        EXPECT_EQ(step.send, row.send) << row.clock.count();
        EXPECT_LE(step.wait, step.send ? microseconds(5ms) : microseconds(TickSchedule::kLongestWait));
        EXPECT_EQ(schedule.target(), t0 + row.target) << row.clock.count();
        if (step.send)
            schedule.arm(t0 + row.clock + step.wait);
    }
}

// What waits on the line at each tick, and when.
TEST(Core, HeldLine)
{
    const HeldLine::Clock::time_point t0{};
    const struct {
        milliseconds at;
        long long waiting;
        TickFate fate;
    } rows[] = {
        {1000ms, 0, TickFate::Send},       {2000ms, 67, TickFate::Skip},  // 2400 bit/s: still leaving
        {3000ms, 0, TickFate::Send},       {4000ms, 307, TickFate::Replace},  // held since it was written
        {5010ms, 200, TickFate::Skip},     {5500ms, 200, TickFate::Skip},  // stopped halfway, not yet a tick ago
        {6100ms, 200, TickFate::Replace},
    };
    HeldLine line;
    for (const auto& row : rows) {
        EXPECT_EQ(line.fate(row.waiting, t0 + row.at), row.fate) << row.at.count();
        if (row.fate != TickFate::Skip)
            line.sent(307, t0 + row.at);
    }
}
