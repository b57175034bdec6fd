#include "InstantText.hpp"
#include "TimeTexts.hpp"
#include "TimeZone.hpp"

#include <gtest/gtest.h>

using namespace quilvex;

namespace {
UtcInstant At(const char* text)
{
    const auto instant = ParseUtcInstant(text);
    EXPECT_TRUE(instant.has_value()) << text;
    return instant.value_or(UtcInstant{});
}
}  // namespace

struct SnapshotCase {
    const char* instant;
    SystemTimeRecord record;
};

class Snapshot : public testing::TestWithParam<SnapshotCase> {};

TEST_P(Snapshot, BreaksTheInstantIntoTheEightFields)
{
    EXPECT_EQ(SystemTimeAt(At(GetParam().instant)), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(Instants, Snapshot, testing::Values(
    SnapshotCase{"2010-09-16T04:51:35.127Z", {2010, 9, 4, 16, 4, 51, 35, 127}},
    SnapshotCase{"2000-01-01T00:00:00.005Z", {2000, 1, 6, 1, 0, 0, 0, 5}},
    SnapshotCase{"1999-12-31T23:59:59.999Z", {1999, 12, 5, 31, 23, 59, 59, 999}},
    SnapshotCase{"2024-02-29T12:00:00Z", {2024, 2, 4, 29, 12, 0, 0, 0}},
    SnapshotCase{"2099-12-31T23:59:59.999Z", {2099, 12, 4, 31, 23, 59, 59, 999}},
    SnapshotCase{"1969-12-31T23:59:59.500Z", {1969, 12, 3, 31, 23, 59, 59, 500}}
));

TEST(Snapshot, ReachesYearsBeyondTheNanosecondClock)
{
    EXPECT_EQ(SystemTimeAt(At("9999-12-31T23:59:59.999Z")),
              (SystemTimeRecord{9999, 12, 5, 31, 23, 59, 59, 999}));
    EXPECT_EQ(SystemTimeAt(At("3010-09-16T04:51:35.120Z")).wYear, 3010);
    EXPECT_EQ(LocalHourTextAt(At("3010-09-16T04:51:35.120Z")).size(), 2u);
}

TEST(Snapshot, ReadUtcTimeFillsSysTimeFromTheClock)
{
    const auto before = SystemTimeAt(UtcNow());
    ReadUtcTime();
    EXPECT_GE(SysTime.wYear, before.wYear);
    EXPECT_GE(SysTime.wYear, 2024);
    EXPECT_GE(SysTime.wMonth, 1);
    EXPECT_LE(SysTime.wMonth, 12);
    EXPECT_LE(SysTime.wMilliseconds, 999);
}

struct TextsCase {
    SystemTimeRecord record;
    const char *YYYY, *MO, *DD, *hh, *mm, *ss, *cc;
};

class Texts : public testing::TestWithParam<TextsCase> {};

TEST_P(Texts, FollowTheTwoCharacterRule)
{
    const TextsCase& c = GetParam();
    const TimeTexts t = MakeTimeTexts(c.record, "13");
    EXPECT_EQ(t.YYYY, c.YYYY);
    EXPECT_EQ(t.MO, c.MO);
    EXPECT_EQ(t.DD, c.DD);
    EXPECT_EQ(t.hh, c.hh);
    EXPECT_EQ(t.mm, c.mm);
    EXPECT_EQ(t.ss, c.ss);
    EXPECT_EQ(t.cc, c.cc);
    EXPECT_EQ(t.LH, "13");
}

INSTANTIATE_TEST_SUITE_P(Records, Texts, testing::Values(
    TextsCase{{2010, 9, 4, 16, 4, 51, 35, 127}, "2010", "09", "16", "04", "51", "35", "12"},
    TextsCase{{2010, 1, 0, 1, 0, 0, 0, 5}, "2010", "01", "01", "00", "00", "00", "00"},
    TextsCase{{2010, 12, 0, 31, 23, 59, 59, 999}, "2010", "12", "31", "23", "59", "59", "99"},
    TextsCase{{2010, 10, 0, 10, 10, 10, 10, 10}, "2010", "10", "10", "10", "10", "10", "01"},
    TextsCase{{2010, 1, 0, 1, 9, 9, 9, 99}, "2010", "01", "01", "09", "09", "09", "09"},
    TextsCase{{2010, 1, 0, 1, 0, 0, 0, 100}, "2010", "01", "01", "00", "00", "00", "10"},
    TextsCase{{999, 1, 0, 1, 0, 0, 0, 0}, "999", "01", "01", "00", "00", "00", "00"}
));

struct LocalHourCase {
    const char* zone;
    const char* instant;
    const char* hour;
};

class LocalHour : public testing::TestWithParam<LocalHourCase> {};

TEST_P(LocalHour, FollowsTheHostZoneRules)
{
    ScopedTimeZone zone(GetParam().zone);
    EXPECT_EQ(LocalHourTextAt(At(GetParam().instant)), GetParam().hour);
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalHour, testing::Values(
    LocalHourCase{"JST-9", "2010-09-16T04:51:35.127Z", "13"},
    LocalHourCase{"JST-9", "2010-09-16T15:30:00Z", "00"},
    LocalHourCase{"JST-9", "2010-09-16T14:59:59.999Z", "23"},
    LocalHourCase{"UTC0", "2010-09-16T04:51:35Z", "04"},
    LocalHourCase{"EST5", "2010-01-01T03:00:00Z", "22"},
    LocalHourCase{"IST-5:30", "2010-09-16T18:29:59Z", "23"},
    LocalHourCase{"IST-5:30", "2010-09-16T18:30:00Z", "00"}
));

TEST(LocalHour, ReadNowIsTwoDigits)
{
    const std::string hour = ReadLocalHourText();
    ASSERT_EQ(hour.size(), 2u);
    EXPECT_LE(hour, "23");
}
