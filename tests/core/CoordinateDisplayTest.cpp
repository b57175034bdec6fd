#include "CoordinateDisplay.hpp"
#include "PrefectureTable.hpp"

#include <gtest/gtest.h>

using namespace quilvex;

struct DisplayCase {
    int slot;
    const char* lat;
    const char* lon;
};

class Display : public testing::TestWithParam<DisplayCase> {};

TEST_P(Display, ShowsDegreesMinutesAndWholeSeconds)
{
    const PrefectureRow& row = PrefectureTable[GetParam().slot];
    EXPECT_EQ(LatitudeDisplayText(row.lat), GetParam().lat);
    EXPECT_EQ(LongitudeDisplayText(row.lon), GetParam().lon);
}

INSTANTIATE_TEST_SUITE_P(Slots, Display, testing::Values(
    DisplayCase{13, "35度41分13秒", "139度41分18秒"},  // .2216' = 13.296", .3014' = 18.084"
    DisplayCase{1, "43度03分30秒", "141度20分30秒"},   // .5145' = 30.87", .5047' = 30.282"
    DisplayCase{7, "37度45分00秒", "140度28分01秒"},   // four fraction digits: .0313' = 1.878"
    DisplayCase{23, "35度10分29秒", "136度54分14秒"},  // .4896' = 29.376"
    DisplayCase{27, "34度41分06秒", "135度31分06秒"},  // .1' is exactly 6"
    DisplayCase{0, "度分秒", "度分秒"}
));

struct OddTextCase {
    const char* text;
    const char* lat;
};

class OddText : public testing::TestWithParam<OddTextCase> {};

TEST_P(OddText, NeverReadsPastTheText)
{
    EXPECT_EQ(LatitudeDisplayText(GetParam().text), GetParam().lat);
}

INSTANTIATE_TEST_SUITE_P(Texts, OddText, testing::Values(
    OddTextCase{"3", "3度分秒"},
    OddTextCase{"354", "35度4分秒"},
    OddTextCase{"3541.", "35度41分秒"},
    OddTextCase{"3541.9999999999999", "35度41分59秒"},
    OddTextCase{"3541.x", "35度41分秒"}
));
