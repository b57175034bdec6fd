#include "InstantText.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"
#include "Tick.hpp"

#include "TimeZone.hpp"
#include "WorkedExample.hpp"

#include <gtest/gtest.h>

using namespace quilvex;

namespace {

TimeTexts TextsAt(const char* instant, const char* localHour)
{
    return MakeTimeTexts(SystemTimeAt(ParseUtcInstant(instant).value()), localHour);
}

TickSentences TickFor(int slot, const char* instant, const char* localHour)
{
    return ComposeTick(TextsAt(instant, localHour), PrefectureTable[slot].lat,
                       PrefectureTable[slot].lon);
}

// The checksum as a reader recomputes it from the framed line.
bool ChecksumHolds(const std::string& line)
{
    const std::size_t star = line.rfind('*');
    if (line.size() < 6 || line[0] != '$' || star == std::string::npos ||
        line.substr(star + 3) != "\r\n")
        return false;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", NmeaChecksum(std::string_view(line).substr(1, star - 1)));
    return line.substr(star + 1, 2) == hex;
}

}  // namespace

TEST(Tick, StampedTickTakesTheLocalHourOfItsInstant)
{
    ScopedTimeZone zone("JST-9");
    const auto at = ParseUtcInstant("2010-09-16T04:51:35.127Z").value();
    EXPECT_EQ(JoinTick(ComposeTickAt(at, PrefectureTable[13].lat, PrefectureTable[13].lon)),
              kWorkedExampleTick);
}

TEST(Tick, RealTimeTickSnapshotsTheClockIntoSysTime)
{
    SysTime = {};
    const TickSentences tick = ComposeTickNow(PrefectureTable[13].lat, PrefectureTable[13].lon);
    EXPECT_GE(SysTime.wYear, 2024);
    const TimeTexts t = MakeTimeTexts(SysTime, "");
    EXPECT_EQ(tick[0].substr(7, 9), t.hh + t.mm + t.ss + "." + t.cc);
    EXPECT_EQ(tick[4].substr(60, 6), t.DD + t.MO + t.YYYY.substr(2));
}

TEST(Tick, WorkedExampleGoesOutByteForByte)
{
    const TickSentences tick = TickFor(13, "2010-09-16T04:51:35.127Z", "13");
    EXPECT_EQ(JoinTick(tick), kWorkedExampleTick);
    const std::size_t sizes[] = {38, 76, 54, 29, 77, 33};
    for (std::size_t i = 0; i < tick.size(); ++i)
        EXPECT_EQ(tick[i].size(), sizes[i]) << i;
}

TEST(Tick, EverySixDigitSlotGives307BytesAndValidChecksums)
{
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        SCOPED_TRACE(slot);
        const TickSentences tick = TickFor(slot, "2026-12-06T21:00:00.000Z", "06");
        const std::size_t expected = (slot == 7 || slot == 23) ? 307 - 3 * 2 : 307;
        EXPECT_EQ(JoinTick(tick).size(), expected);
        const char* kinds[] = {"$GPZDA,", "$GPGGA,", "$GPGLL,", "$GPVTG,", "$GPRMC,", "$GPGSA,"};
        for (std::size_t i = 0; i < tick.size(); ++i) {
            EXPECT_TRUE(tick[i].starts_with(kinds[i])) << tick[i];
            EXPECT_TRUE(ChecksumHolds(tick[i])) << tick[i];
            EXPECT_EQ(tick[i].find_first_of("\r\n"), tick[i].size() - 2);
        }
    }
}

TEST(Tick, ShortFractionsTravelAsStored)
{
    const TickSentences fukushima = TickFor(7, "2010-09-16T04:51:35.127Z", "13");
    const TickSentences aichi = TickFor(23, "2010-09-16T04:51:35.127Z", "13");
    for (int i : {1, 2, 4}) {
        EXPECT_NE(fukushima[i].find(",3745.010800,N,14028.0313,E,"), std::string::npos) << fukushima[i];
        EXPECT_NE(aichi[i].find(",3510.4896,N,13654.238600,E,"), std::string::npos) << aichi[i];
        EXPECT_TRUE(ChecksumHolds(fukushima[i]));
        EXPECT_TRUE(ChecksumHolds(aichi[i]));
    }
}

TEST(Tick, SlotZeroSendsEmptyPositionFields)
{
    const TickSentences tick = TickFor(0, "2010-09-16T04:51:35.127Z", "13");
    EXPECT_EQ(tick[1], "$GPGGA,045135.12,,N,,E,1,08,0.9,0,M,0,M,5.0,1012*41\r\n");
    EXPECT_EQ(tick[2].substr(0, 20), "$GPGLL,,N,,E,045135.");
    EXPECT_TRUE(ChecksumHolds(tick[2]));
    EXPECT_TRUE(ChecksumHolds(tick[4]));
}

TEST(Tick, FixedSentencesNeverChange)
{
    for (const char* instant : {"2010-09-16T04:51:35.127Z", "2099-12-31T23:59:59.999Z"}) {
        const TickSentences tick = TickFor(13, instant, "00");
        EXPECT_EQ(tick[3], "$GPVTG,0,T,0,M,0,N,0,K,A*23\r\n");
        EXPECT_EQ(tick[5], "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n");
    }
}

struct TimeFieldCase {
    const char* instant;
    const char* localHour;
    const char* zda;     // the whole ZDA line
    const char* rmcDate; // RMC field 9
};

class TimeFields : public testing::TestWithParam<TimeFieldCase> {};

TEST_P(TimeFields, CarryTheSnapshot)
{
    const TimeFieldCase& c = GetParam();
    const TickSentences tick = TickFor(13, c.instant, c.localHour);
    EXPECT_EQ(tick[0], c.zda);
    EXPECT_NE(tick[4].find(std::string(",000.0,000.0,") + c.rmcDate + ",0,E,A*"), std::string::npos)
        << tick[4];
    EXPECT_TRUE(ChecksumHolds(tick[0]));
}

INSTANTIATE_TEST_SUITE_P(Instants, TimeFields, testing::Values(
    TimeFieldCase{"2010-09-16T15:30:00Z", "00", "$GPZDA,153000.00,16,09,2010,00,30*6F\r\n", "160910"},
    TimeFieldCase{"2099-12-31T23:59:59.999Z", "08", "$GPZDA,235959.99,31,12,2099,08,59*60\r\n", "311299"},
    TimeFieldCase{"2000-01-01T00:00:00.005Z", "09", "$GPZDA,000000.00,01,01,2000,09,00*6D\r\n", "010100"},
    TimeFieldCase{"2010-09-16T04:51:35.009Z", "13", "$GPZDA,045135.00,16,09,2010,13,51*6B\r\n", "160910"},
    TimeFieldCase{"2010-09-16T04:51:35.010Z", "13", "$GPZDA,045135.01,16,09,2010,13,51*6A\r\n", "160910"}
));

struct FrameCase {
    const char* body;
    const char* framed;
};

class Frame : public testing::TestWithParam<FrameCase> {};

TEST_P(Frame, AddsDollarStarUppercaseHexAndCrLf)
{
    EXPECT_EQ(FrameSentence(GetParam().body), GetParam().framed);
}

INSTANTIATE_TEST_SUITE_P(Bodies, Frame, testing::Values(
    FrameCase{"", "$*00\r\n"},
    FrameCase{"A", "$A*41\r\n"},
    FrameCase{"AA", "$AA*00\r\n"},
    FrameCase{"GPVTG,0,T,0,M,0,N,0,K,A", "$GPVTG,0,T,0,M,0,N,0,K,A*23\r\n"},
    FrameCase{"\x7f", "$\x7f*7F\r\n"},
    FrameCase{"\xff\x01", "$\xff\x01*FE\r\n"},
    FrameCase{"GPGSA,A,3,,,,,,,,,,,,,0,0,0", "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n"}
));

TEST(Frame, StoredGsaChecksumIsTheComputedOne)
{
    EXPECT_EQ(FrameSentence("GPGSA,A,3,,,,,,,,,,,,,0,0,0"), kFramedGSA);
}
