#include "LinkError.hpp"
#include "PortRules.hpp"

#include <gtest/gtest.h>

using namespace quilvex;

struct NumberCase {
    const char* text;
    int number;
};

class PortNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(PortNumber, IsTheRoundedNumberAfterCom)
{
    EXPECT_EQ(PortNumberFromText(GetParam().text), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(Texts, PortNumber, testing::Values(
    NumberCase{"COM1", 1},
    NumberCase{"COM15", 15},
    NumberCase{"COM", 0},
    NumberCase{"CO", 0},
    NumberCase{"", 0},
    NumberCase{"COM 7", 7},
    NumberCase{"COM1 2", 12},        // blanks are dropped, as the number reader does
    NumberCase{"COM.5", 0},          // halves to even
    NumberCase{"COM.6", 1},
    NumberCase{"COM1.5", 2},
    NumberCase{"COM2.5", 2},
    NumberCase{"COM3.5", 4},
    NumberCase{"COM-1", -1},
    NumberCase{"COM+4", 4},
    NumberCase{"COMx", 0},
    NumberCase{"COM3x", 3},
    NumberCase{"COM1e3", 1},         // no exponents
    NumberCase{"COMinf", 0},
    NumberCase{"COMnan", 0},
    NumberCase{"COM123", 123},       // all of it, not just two characters
    NumberCase{"COM32767", 32767},
    NumberCase{"COM32768", 0},       // beyond a 16-bit port number
    NumberCase{"COM99999999999999999999", 0},
    NumberCase{"XYZ9", 9},           // the first three characters are not read
    NumberCase{"COM1..2", 1}
));

TEST(Settings, TextIsTheRateAsItStandsThenN81)
{
    EXPECT_EQ(SettingsText("4800"), "4800,n,8,1");
    EXPECT_EQ(SettingsText("115200"), "115200,n,8,1");
    EXPECT_EQ(SettingsText(""), ",n,8,1");
    EXPECT_EQ(SettingsText(" 48 "), " 48 ,n,8,1");
}

struct SettingsCase {
    const char* settings;
    int rate;  // 0: refused
};

class Settings : public testing::TestWithParam<SettingsCase> {};

TEST_P(Settings, ParseOnlyWholePositiveRates)
{
    const auto line = ParseSettings(GetParam().settings);
    if (GetParam().rate == 0) {
        EXPECT_FALSE(line);
    } else {
        ASSERT_TRUE(line);
        EXPECT_EQ(line->rate, GetParam().rate);
        EXPECT_EQ(line->parity, 'n');
        EXPECT_EQ(line->dataBits, 8);
        EXPECT_EQ(line->stopBits, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Settings, testing::Values(
    SettingsCase{"2400,n,8,1", 2400},
    SettingsCase{"14400,n,8,1", 14400},
    SettingsCase{"115200,n,8,1", 115200},
    SettingsCase{",n,8,1", 0},
    SettingsCase{"abc,n,8,1", 0},
    SettingsCase{"0,n,8,1", 0},
    SettingsCase{"-4800,n,8,1", 0},
    SettingsCase{"+4800,n,8,1", 0},
    SettingsCase{"4800.5,n,8,1", 0},
    SettingsCase{" 4800,n,8,1", 0},
    SettingsCase{"4800 ,n,8,1", 0},
    SettingsCase{"99999999999,n,8,1", 0},
    SettingsCase{"4800,x,n,8,1", 0},
    SettingsCase{"4800,n,8", 0},
    SettingsCase{"4800,n,9,1", 0},
    SettingsCase{"4800,n,8,3", 0},
    SettingsCase{"", 0}
));

TEST(PortText, NoNumberIsRefusedBeforeAnyDevice)
{
    for (const char* text : {"", "COM", "COM0", "COM-1", "COMx", "COM.5"}) {
        const PortTarget target = ResolvePortText(text);
        EXPECT_EQ(target.problem, PortProblem::NoPortNumber) << text;
        EXPECT_TRUE(target.device.empty()) << text;
    }
}

#ifdef _WIN32

TEST(PortText, WindowsPortNIsComN)
{
    EXPECT_EQ(DeviceForPortNumber(1), "COM1");
    EXPECT_EQ(DeviceForPortNumber(10), "COM10");
    EXPECT_EQ(ResolvePortText("COM15").device, "COM15");
    EXPECT_TRUE(IsDevicePathText("\\\\.\\COM10"));
    EXPECT_EQ(ResolvePortText("\\\\.\\COM10").device, "\\\\.\\COM10");
    EXPECT_FALSE(IsDevicePathText("/dev/ttyS0"));
    EXPECT_EQ(ResolvePortText("/dev/ttyS0").problem, PortProblem::NoPortNumber);
}

#else

TEST(PortText, LinuxPortNIsTtySnMinusOne)
{
    EXPECT_EQ(DeviceForPortNumber(1), "/dev/ttyS0");
    EXPECT_EQ(DeviceForPortNumber(15), "/dev/ttyS14");
    EXPECT_TRUE(IsDevicePathText("/dev/ttyUSB0"));
    EXPECT_FALSE(IsDevicePathText("\\\\.\\COM10"));
    EXPECT_EQ(ResolvePortText("\\\\.\\COM10").problem, PortProblem::NoPortNumber);
}

TEST(PortText, PathsThatAreNoDeviceAreRefused)
{
    const PortTarget missing = ResolvePortText("/nonexistent/ttyQ9");
    EXPECT_EQ(missing.problem, PortProblem::Missing);
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_EQ(ResolvePortText("/tmp").problem, PortProblem::NotADevice);
    EXPECT_EQ(ResolvePortText("/dev/null").problem, PortProblem::None);  // a character device: the open decides
}

#endif

TEST(LinkErrorText, SaysWhatOnWhatAndWhy)
{
    const LinkError error{LinkErrorKind::Missing, "COM7", "/dev/ttyS6", "4800,n,8,1",
                          "No such file or directory"};
    EXPECT_EQ(EnglishMessage(error),
              "cannot open port \"COM7\" (/dev/ttyS6): no such device: No such file or directory");
    const LinkError noNumber{LinkErrorKind::NoPortNumber, "COM", "", "4800,n,8,1", ""};
    EXPECT_NE(EnglishMessage(noNumber).find("port \"COM\": the text selects no port"), std::string::npos);
}
