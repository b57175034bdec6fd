#include "PrefectureTable.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace quilvex;

struct LookupCase {
    const char* text;
    int slot;
};

class Lookup : public testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, GivesTheFirstExactlyEqualSlotElseZero)
{
    EXPECT_EQ(LookupPrefecture(GetParam().text), GetParam().slot);
}

INSTANTIATE_TEST_SUITE_P(Texts, Lookup, testing::Values(
    LookupCase{"東京都", 13},
    LookupCase{"北海道", 1},
    LookupCase{"沖縄県", 47},
    LookupCase{"神奈川県", 14},
    LookupCase{"東京都 ", 0},      // trailing blank
    LookupCase{" 東京都", 0},
    LookupCase{"東京", 0},          // partial
    LookupCase{"東京都東京都", 0},
    LookupCase{"", 0},
    LookupCase{"Tokyo", 0},
    LookupCase{"東亰都", 0},        // a variant character
    LookupCase{"ＴＯＫＹＯ", 0},
    LookupCase{"東京都\n", 0},
    LookupCase{"\xe6\x9d\xb1", 0}   // a truncated UTF-8 sequence
));

TEST(PrefectureTable, SlotZeroIsEmpty)
{
    EXPECT_EQ(PrefectureTable[0].name, "");
    EXPECT_EQ(PrefectureTable[0].lat, "");
    EXPECT_EQ(PrefectureTable[0].lon, "");
}

TEST(PrefectureTable, EveryNameLooksUpToItsOwnSlot)
{
    std::set<std::string_view> names;
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        EXPECT_EQ(LookupPrefecture(PrefectureTable[slot].name), slot);
        names.insert(PrefectureTable[slot].name);
    }
    EXPECT_EQ(names.size(), 47u);
}

TEST(PrefectureTable, CoordinatesHaveTheFieldForm)
{
    auto digits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const PrefectureRow& row = PrefectureTable[slot];
        SCOPED_TRACE(slot);
        ASSERT_GE(row.lat.size(), 6u);
        ASSERT_GE(row.lon.size(), 7u);
        EXPECT_EQ(row.lat[4], '.');
        EXPECT_EQ(row.lon[5], '.');
        EXPECT_TRUE(digits(row.lat.substr(0, 4)) && digits(row.lat.substr(5)));
        EXPECT_TRUE(digits(row.lon.substr(0, 5)) && digits(row.lon.substr(6)));
        const std::size_t latFraction = row.lat.size() - 5;
        const std::size_t lonFraction = row.lon.size() - 6;
        EXPECT_EQ(latFraction, slot == 23 ? 4u : 6u);
        EXPECT_EQ(lonFraction, slot == 7 ? 4u : 6u);
    }
}
