#include "PrefectureTable.hpp"
#include "PseudoTerminal.hpp"
#include "SerialLink.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

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
