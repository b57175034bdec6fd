#include "CoordinateDisplay.hpp"
#include "HeldLine.hpp"
#include "InstantText.hpp"
#include "LinkRules.hpp"
#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"
#include "TickSchedule.hpp"

#include "WorkedExample.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <utility>
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
    return ComposeTickAt(Receiver{.slot = slot}, ParseUtcInstant(instant).value());
}

}  // namespace

TEST(Core, GoldenTickAndSlotZero)
{
    SetZone("JST-9");
    EXPECT_EQ(JoinTick(TickAt("2010-09-16T04:51:35.127Z")), kWorkedExampleTick);
    EXPECT_EQ(FrameSentence("GPGSA,A,3,,,,,,,,,,,,,0,0,0"), kFramedGSA);
    // No seat, no place: never a fix with empty coordinates.
    EXPECT_EQ(TickAt("2010-09-16T04:51:35.127Z", 0)[1], "$GPGGA,045135.12,,,,,0,00,99.99,,M,,M,,*63\r\n");
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
        {"Tokyo", 13, "35度41分13秒", "139度41分18秒"},
        {"OKINAWA", 47, "26度12分26秒", "127度40分30秒"},
        {"47", 47, "26度12分26秒", "127度40分30秒"},
        {"48", 0, "度分秒", "度分秒"},
        {"+1", 0, "度分秒", "度分秒"},
        {"Toky", 0, "度分秒", "度分秒"},
    };
    for (const auto& row : rows) {
        const int slot = PrefectureSlot(row.text);
        EXPECT_EQ(slot, row.slot) << row.text;
        EXPECT_EQ(LatitudeDisplayText(PrefectureTable[slot].lat), row.lat) << row.text;
        EXPECT_EQ(LongitudeDisplayText(PrefectureTable[slot].lon), row.lon) << row.text;
    }
    EXPECT_EQ(LookupPrefecture("Tokyo"), 0);  // the Japanese name exactly
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
        {"COM32768", PortProblem::NoPortNumber, 0}, {"COM.6", PortProblem::None, 1},
        {"ACM1", PortProblem::NotAPortName, 0},  {"USB1", PortProblem::NotAPortName, 0},
        {"tty1", PortProblem::NotAPortName, 0},  {"xyz1", PortProblem::NotAPortName, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PortNumberFromText(row.text), row.number) << row.text;
        if (row.problem != PortProblem::None) {
            EXPECT_EQ(ChoosePort(row.text).problem, row.problem) << row.text;
        }
    }
#ifdef _WIN32
    EXPECT_EQ(DeviceForPortNumber(10), "COM10");
#else
    EXPECT_EQ(DeviceForPortNumber(1), "/dev/ttyS0");
#endif
    EXPECT_EQ(ParseSettings("4000000,n,8,1")->rate, 4000000);
    EXPECT_FALSE(ParseSettings("0,n,8,1"));  // no rate at all, not "whatever the driver has"
    const std::string longText(200, 'x');
    EXPECT_EQ(ShortenedForMessage(longText), std::string(30, 'x') + "..." + std::string(30, 'x'));
}

TEST(Core, NetworkAddresses)
{
    EXPECT_EQ(ParseNetworkAddress(":10110", kLocalHost)->host, "127.0.0.1");  // nothing beyond this machine unasked
    EXPECT_EQ(ParseNetworkAddress("[::1]:65535", kLocalHost)->host, "::1");
    EXPECT_FALSE(ParseNetworkAddress("65536", kLocalHost) || ParseNetworkAddress("host:", kLocalHost));
    EXPECT_EQ(NetworkAddressText({"::1", 10110}) + NetworkAddressText({"127.0.0.1", 1}), "[::1]:10110127.0.0.1:1");
}

// The two clocks as the tick timer reads them at each wake-up: on time, the
// wall clock stepped back and forward, a late loop, a loop more than a second
// late, a wake-up a hair before the second. One tick per wake-up that is due.
// Then at 10 Hz: the first tick at a whole second, then each tenth.
TEST(Core, TickSchedule)
{
    const auto t0 = sys_days{2026y / 12 / 7} + 10h;
    const TickSchedule::Monotonic::time_point m0{};
    struct Row {
        milliseconds clock, monotonic;  // at the wake-up, from t0 and m0
        bool send;
        milliseconds target;  // the epoch the tick is (or will be) for, from t0
        long long skipped = 0;
        milliseconds late{}, stepped{};  // the record of a tick sent
    };
    const Row tenths[] = {
        {997ms, 997ms, true, 1000ms},   {1097ms, 1097ms, true, 1100ms},
        {1250ms, 1250ms, true, 1200ms, 0, 50ms},  // late by half an epoch: still its tick
        {1420ms, 1420ms, true, 1400ms, 1, 120ms},  // more than an epoch late: 1300 lost
        {1497ms, 1497ms, true, 1500ms}, {1596ms, 1596ms, true, 1600ms},
    };
    const Row rows[] = {
        {997ms, 997ms, true, 1000ms},  // on time: the last 3 ms are slept
        {1998ms, 1998ms, true, 2000ms},
        {-118200ms, 2800ms, false, -118000ms},  // stepped back two minutes: the next second of the new clock
        {-118002ms, 2998ms, true, -118000ms, 0, 0ms, -121000ms},
        {-118200ms, 3800ms, false, -117000ms},  // back again: the second just sent is not sent twice
        {-117003ms, 4997ms, true, -117000ms, 0, 0ms, -1000ms},
        {600000ms, 5997ms, true, 600000ms, 716, 716000ms, 716003ms},  // forward: the seconds passed over
        {601400ms, 7397ms, true, 601000ms, 0, 400ms},   // a late loop still sends, stamped when it goes
        {603300ms, 9297ms, true, 603000ms, 1, 1300ms},  // more than a second late: one tick, one second lost
        {603998ms, 9995ms, true, 604000ms},  // a hair short: the sleep reaches the second
        {605997ms, 11994ms, true, 606000ms, 1, 1000ms},  // due for 605, about to be 606: one tick, at 606
    };
    using Table = std::span<const Row>;
    for (const auto& [period, table] : {std::pair{1000ms, Table(rows)}, std::pair{100ms, Table(tenths)}}) {
        TickSchedule schedule(period);
        EXPECT_EQ(schedule.arm({t0 + 200ms, m0 + 200ms}), 797ms);
        EXPECT_EQ(schedule.target(), t0 + 1s);
        for (const auto& row : table) {
            const TickSchedule::Reading now{t0 + row.clock, m0 + row.monotonic};
            const TickSchedule::Step step = schedule.wake(now);
            EXPECT_EQ(step.send, row.send) << row.clock.count();
            EXPECT_LE(step.wait, step.send ? microseconds(5ms) : microseconds(TickSchedule::kLongestWait));
            EXPECT_EQ(schedule.target(), t0 + row.target) << row.clock.count();
            if (!step.send)
                continue;
            const TickSchedule::Reading then{now.wall + step.wait, now.monotonic + step.wait};
            EXPECT_EQ(schedule.shortOf(then), 0us);
            EXPECT_EQ(schedule.shortOf({t0 + row.target - 1us, then.monotonic}), 1us);  // a sleep that ended a hair early
            const TickSchedule::Timing timing = schedule.sent(then);
            EXPECT_EQ(timing.skipped, row.skipped) << row.clock.count();
            EXPECT_EQ(duration_cast<milliseconds>(timing.late), row.late) << row.clock.count();
            EXPECT_EQ(timing.stepped, row.stepped) << row.clock.count();
            EXPECT_EQ(timing.epoch, t0 + row.target) << row.clock.count();
            schedule.arm(then);
        }
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

// Links on the way to the virtual port, met by root (0) or user 1000: 041777
// is /tmp, sticky and world-writable; then the links a killed run leaves.
TEST(Core, LinkRules)
{
    const struct {
        unsigned long linkOwner, directoryOwner, directoryMode, us;
        bool follow;
    } rows[] = {
        {65534, 0, 041777, 0, false},    {65534, 0, 041777, 1000, false},
        {1000, 0, 041777, 1000, true},   {0, 2000, 041777, 1000, true},  // ours, root's
        {65534, 65534, 041777, 0, true},  // the directory's owner's
        {65534, 0, 040777, 0, true},     {65534, 0, 041775, 0, true},  // not sticky, not world-writable
    };
    for (const auto& row : rows)
        EXPECT_EQ(MayFollowLink({row.linkOwner, row.directoryOwner, row.directoryMode, row.us}), row.follow)
            << row.linkOwner << " " << row.directoryOwner << " " << std::oct << row.directoryMode;
    const struct {
        const char* target;
        bool exists, stale;
    } links[] = {
        {"/dev/pts/7", false, true}, {"/dev/pts/7", true, false},  {"/dev/pts/", false, false},
        {"/dev/pts/7x", false, false}, {"/tmp/pts/7", false, false}, {"dev/pts/77", false, false},
    };
    for (const auto& link : links)
        EXPECT_EQ(IsStalePtyLink(link.target, link.exists), link.stale) << link.target << " " << link.exists;
}
