#include "PrefectureTable.hpp"
#include "PseudoTerminal.hpp"
#include "SerialLink.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <termios.h>

using namespace quilvex;
using namespace std::chrono_literals;

namespace {

void Pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TickSentences TickAtSecond(int second)
{
    SystemTimeRecord t{2010, 9, 4, 16, 4, 51, static_cast<std::uint16_t>(second), 127};
    return ComposeTick(MakeTimeTexts(t, "13"), PrefectureTable[13].lat, PrefectureTable[13].lon);
}

std::optional<LinkError> Open(SerialLink& link, const std::string& port, const std::string& rate)
{
    link.setPort(QString::fromStdString(port));
    link.setSettings(QString::fromStdString(rate + ",n,8,1"));
    return link.open();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

class EveryListedRate : public testing::TestWithParam<const char*> {};

TEST_P(EveryListedRate, OpensAndSendsTheTickByteForByte)
{
    PseudoTerminal pty;
    SerialLink link;
    const auto error = Open(link, pty.slavePath(), GetParam());
    ASSERT_FALSE(error) << EnglishMessage(*error);
    ASSERT_TRUE(link.isOpen());

    const TickSentences tick = TickAtSecond(35);
    ASSERT_TRUE(link.writeTick(tick));
    EXPECT_EQ(pty.readExactly(307, 3s, Pump), JoinTick(tick));
    link.close();
    EXPECT_FALSE(link.isOpen());
    link.close();  // a closed link closes again without harm
}

INSTANTIATE_TEST_SUITE_P(Rates, EveryListedRate,
                         testing::Values("2400", "4800", "9600", "14400", "19200", "38400",
                                         "57600", "115200"));

TEST(SerialLink, ManyTicksArriveWholeAndInOrder)
{
    PseudoTerminal pty;
    SerialLink link;
    ASSERT_FALSE(Open(link, pty.slavePath(), "115200"));
    std::string expected;
    std::string received;
    for (int second = 0; second < 60; ++second) {
        const TickSentences tick = TickAtSecond(second);
        expected += JoinTick(tick);
        ASSERT_TRUE(link.writeTick(tick));
        received += pty.readExactly(307, 3s, Pump);
    }
    EXPECT_EQ(received, expected);
    EXPECT_EQ(link.skippedTicks(), 0);
}

struct RefusedCase {
    const char* port;
    const char* rate;
    LinkErrorKind kind;
};

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, OpenGivesTheErrorAndLeavesTheLinkClosed)
{
    SerialLink link;
    const auto error = Open(link, GetParam().port, GetParam().rate);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, GetParam().kind) << EnglishMessage(*error);
    EXPECT_EQ(error->portText, GetParam().port);
    EXPECT_FALSE(link.isOpen());
    const std::string message = EnglishMessage(*error);
    EXPECT_NE(message.find(std::string("\"") + GetParam().port + "\""), std::string::npos) << message;
    EXPECT_EQ(message.find("Unknown error"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(PortTexts, Refused, testing::Values(
    RefusedCase{"", "4800", LinkErrorKind::NoPortNumber},
    RefusedCase{"COM", "4800", LinkErrorKind::NoPortNumber},
    RefusedCase{"COM0", "4800", LinkErrorKind::NoPortNumber},
    RefusedCase{"COM-1", "4800", LinkErrorKind::NoPortNumber},
    RefusedCase{"COMx", "4800", LinkErrorKind::NoPortNumber},
    RefusedCase{"/dev/quilvex-missing", "4800", LinkErrorKind::Missing},
    RefusedCase{"/tmp", "4800", LinkErrorKind::NotADevice},
    RefusedCase{"/dev/null", "4800", LinkErrorKind::OpenFailed}
));

class BadRate : public testing::TestWithParam<const char*> {};

TEST_P(BadRate, IsRefusedBeforeThePortIsTouched)
{
    PseudoTerminal pty;
    SerialLink link;
    const auto error = Open(link, pty.slavePath(), GetParam());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, LinkErrorKind::BadSettings) << EnglishMessage(*error);
    EXPECT_EQ(error->device, pty.slavePath());
    EXPECT_FALSE(link.isOpen());
    // The port stays free for the next open.
    EXPECT_FALSE(Open(link, pty.slavePath(), "4800"));
}

INSTANTIATE_TEST_SUITE_P(RateTexts, BadRate,
                         testing::Values("", "abc", "0", "-4800", "4800.5", "4800,n", " 4800"));

TEST(SerialLink, RegularFileIsRefusedAndLeftUnchanged)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("not-a-port").toStdString();
    const std::string content = "keep me\r\n\x01\x02";
    std::ofstream(path, std::ios::binary) << content;

    SerialLink link;
    const auto error = Open(link, path, "4800");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, LinkErrorKind::NotADevice);
    EXPECT_EQ(ReadFile(path), content);

    const std::string never = dir.filePath("never-created").toStdString();
    ASSERT_TRUE(Open(link, never, "4800"));
    EXPECT_FALSE(std::ifstream(never).good());
}

TEST(SerialLink, SecondOpenerIsToldThePortIsInUse)
{
    PseudoTerminal pty;
    SerialLink first;
    SerialLink second;
    ASSERT_FALSE(Open(first, pty.slavePath(), "4800"));
    const auto error = Open(second, pty.slavePath(), "4800");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, LinkErrorKind::InUse) << EnglishMessage(*error);
    EXPECT_TRUE(first.isOpen());
    first.close();
    EXPECT_FALSE(Open(second, pty.slavePath(), "4800"));  // free again once closed
}

TEST(SerialLink, PeerGoneIsReportedOnceAndClosesTheLink)
{
    PseudoTerminal pty;
    SerialLink link;
    ASSERT_FALSE(Open(link, pty.slavePath(), "4800"));
    int reports = 0;
    LinkError last;
    QObject::connect(&link, &SerialLink::failed, [&](const LinkError& e) {
        ++reports;
        last = e;
    });
    pty.closeSlave();
    pty.closeMaster();

    QElapsedTimer clock;
    clock.start();
    for (int second = 0; clock.elapsed() < 1500; ++second) {
        link.writeTick(TickAtSecond(second % 60));
        Pump();
    }
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(last.kind, LinkErrorKind::Lost);
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialLink, StoppedLineSkipsWholeTicksAndResumesWhole)
{
    PseudoTerminal pty;
    SerialLink link;
    ASSERT_FALSE(Open(link, pty.slavePath(), "4800"));
    ASSERT_EQ(::tcflow(pty.slaveFd(), TCOOFF), 0);

    int written = 0;
    for (int second = 0; second < 40; ++second) {
        written += link.writeTick(TickAtSecond(second)) ? 1 : 0;
        for (int i = 0; i < 5; ++i)
            Pump();
        EXPECT_LE(link.backlog(), 307);  // never more than one tick waits
    }
    EXPECT_EQ(written, 1);
    EXPECT_EQ(link.skippedTicks(), 39);
    EXPECT_EQ(pty.readAvailable(100ms), "");

    ASSERT_EQ(::tcflow(pty.slaveFd(), TCOON), 0);
    std::string received = pty.readExactly(307, 3s, Pump);
    EXPECT_EQ(received, JoinTick(TickAtSecond(0)));
    for (int i = 0; i < 10 && link.backlog() > 0; ++i)
        Pump();
    ASSERT_TRUE(link.writeTick(TickAtSecond(59)));
    EXPECT_EQ(pty.readExactly(307, 3s, Pump), JoinTick(TickAtSecond(59)));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
