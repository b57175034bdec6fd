#include "InstantText.hpp"

#include <gtest/gtest.h>

using namespace quilvex;
using namespace std::chrono;

TEST(InstantText, ReadsTheWorkedExample)
{
    const auto t = ParseUtcInstant("2010-09-16T04:51:35.127Z");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, sys_days{2010y / September / 16} + 4h + 51min + 35s + 127ms);
}

struct FractionCase {
    const char* text;
    int millis;
};

class Fraction : public testing::TestWithParam<FractionCase> {};

TEST_P(Fraction, IsReadAsMilliseconds)
{
    const auto t = ParseUtcInstant(GetParam().text);
    ASSERT_TRUE(t);
    EXPECT_EQ(floor<milliseconds>(*t) - floor<seconds>(*t), milliseconds(GetParam().millis));
}

INSTANTIATE_TEST_SUITE_P(Digits, Fraction, testing::Values(
    FractionCase{"2010-09-16T04:51:35Z", 0},
    FractionCase{"2010-09-16T04:51:35.1Z", 100},
    FractionCase{"2010-09-16T04:51:35.12Z", 120},
    FractionCase{"2010-09-16T04:51:35.999Z", 999},
    FractionCase{"2010-09-16T04:51:35.007Z", 7}
));

class Malformed : public testing::TestWithParam<const char*> {};

TEST_P(Malformed, GivesNothing)
{
    EXPECT_FALSE(ParseUtcInstant(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Texts, Malformed, testing::Values(
    "",
    "2010-09-16T04:51:35.127",     // no Z
    "2010-09-16T04:51:35.127z",
    "2010-09-16 04:51:35Z",
    "2010-02-30T00:00:00Z",        // impossible date
    "2011-02-29T00:00:00Z",
    "2010-13-01T00:00:00Z",
    "2010-00-01T00:00:00Z",
    "2010-09-00T00:00:00Z",
    "2010-09-16T24:00:00Z",
    "2010-09-16T23:60:00Z",
    "2010-09-16T23:59:60Z",        // leap seconds are not clock readings here
    "2010-09-16T04:51:35.Z",
    "2010-09-16T04:51:35.1234Z",
    "2010-09-16T04:51:35.127ZZ",
    "2010-9-16T04:51:35Z",
    "0999-09-16T04:51:35Z",
    "+010-09-16T04:51:35Z",
    "2010-09-16T04:51:35+09:00",
    "2010-09-16T4:51:35Z"
));
