#include "PseudoTerminal.hpp"
#include "StampedStream.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "WorkedExample.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <termios.h>
#include <sstream>

using namespace std::chrono_literals;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

QProcess* Start(const QStringList& args, const char* zone = "Asia/Tokyo")
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ", zone);
    process->setProcessEnvironment(env);
    process->start(QUILVEX_NMEA, args);
    process->waitForStarted();
    return process;
}

ToolRun Finish(QProcess* process, int timeoutMs = 20000)
{
    process->closeWriteChannel();
    process->waitForFinished(timeoutMs);
    ToolRun run{process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
            process->readAllStandardOutput().toStdString(),
            process->readAllStandardError().toStdString()};
    delete process;
    return run;
}

ToolRun Tool(const QStringList& args, const char* zone = "Asia/Tokyo")
{
    return Finish(Start(args, zone));
}

std::string Line(const std::string& text, std::size_t index)
{
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i)
        begin = text.find("\r\n", begin) + 2;
    return text.substr(begin, text.find("\r\n", begin) - begin);
}

}  // namespace

TEST(NmeaTool, WorkedExampleIsExactly307Bytes)
{
    const ToolRun run = Tool({"--pref", "東京都", "--at", "2010-09-16T04:51:35.127Z"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, kWorkedExampleTick);
}

struct LineCase {
    const char* at;
    const char* zone;
    std::size_t line;
    const char* expected;
};

class StampedLine : public testing::TestWithParam<LineCase> {};

TEST_P(StampedLine, FollowsTheInstantAndZone)
{
    const ToolRun run = Tool({"--at", GetParam().at}, GetParam().zone);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Line(run.out, GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Instants, StampedLine, testing::Values(
    LineCase{"2010-09-16T15:30:00Z", "Asia/Tokyo", 0, "$GPZDA,153000.00,16,09,2010,00,30*6F"},
    LineCase{"2010-09-16T15:30:00Z", "UTC", 0, "$GPZDA,153000.00,16,09,2010,15,30*6B"},
    LineCase{"2010-09-16T15:30:00Z", "America/New_York", 0, "$GPZDA,153000.00,16,09,2010,11,30*6F"},
    LineCase{"2099-12-31T23:59:59.999Z", "Asia/Tokyo", 4,
             "$GPRMC,235959.99,A,3541.221600,N,13941.301400,E,000.0,000.0,311299,0,E,A*27"},
    LineCase{"9999-12-31T23:59:59.999Z", "UTC", 4,
             "$GPRMC,235959.99,A,3541.221600,N,13941.301400,E,000.0,000.0,311299,0,E,A*27"},
    LineCase{"2010-09-16T04:51:35.999Z", "Asia/Tokyo", 2,
             "$GPGLL,3541.221600,N,13941.301400,E,045135.99,A,A*63"}
));

TEST(NmeaTool, StampedTicksAdvanceOneSecondAcrossTheYear)
{
    const ToolRun run = Tool({"--at", "2099-12-31T23:59:58.500Z", "--count", "3"});
    ASSERT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.out.size(), 3u * 307);
    EXPECT_EQ(Line(run.out, 0).substr(0, 34), "$GPZDA,235958.50,31,12,2099,08,59*");
    EXPECT_EQ(Line(run.out, 6).substr(0, 34), "$GPZDA,235959.50,31,12,2099,08,59*");
    EXPECT_EQ(Line(run.out, 12).substr(0, 34), "$GPZDA,000000.50,01,01,2100,09,00*");
    EXPECT_NE(Line(run.out, 16).find(",010100,0,E,A*"), std::string::npos);
}

TEST(NmeaTool, SlotNumberAndNameAgree)
{
    const ToolRun byNumber = Tool({"--pref", "7", "--at", "2010-09-16T04:51:35.127Z"});
    const ToolRun byName = Tool({"--pref", "福島県", "--at", "2010-09-16T04:51:35.127Z"});
    EXPECT_EQ(byNumber.exitCode, 0);
    EXPECT_EQ(byNumber.out, byName.out);
    EXPECT_NE(Line(byName.out, 1).find(",3745.010800,N,14028.0313,E,"), std::string::npos);
}

TEST(NmeaTool, ListGivesTheSlotsInOrder)
{
    const ToolRun run = Tool({"--list"});
    ASSERT_EQ(run.exitCode, 0);
    std::istringstream lines(run.out);
    std::string line;
    int count = 0;
    std::string first, last;
    while (std::getline(lines, line)) {
        if (++count == 1)
            first = line;
        last = line;
    }
    EXPECT_EQ(count, 47);
    EXPECT_EQ(first, "1\t北海道\t4303.514500\t14120.504700");
    EXPECT_EQ(last, "47\t沖縄県\t2612.446300\t12740.511400");
}

TEST(NmeaTool, VersionAndHelp)
{
    const ToolRun version = Tool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "quilvex-nmea " QUILVEX_VERSION "\n");
    const ToolRun help = Tool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--pref"), std::string::npos);
}

struct BadInputCase {
    std::vector<const char*> args;
    int exitCode;
    const char* says;
};

class BadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, IsOneClearLineAndTheRightExitCode)
{
    QStringList args;
    for (const char* a : GetParam().args)
        args << QString::fromUtf8(a);
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("quilvex-nmea: ")) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    if (GetParam().exitCode == 1) {
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, BadInput, testing::Values(
    BadInputCase{{"--pref", "東京"}, 2, "no prefecture named \"東京\" (--list"},
    BadInputCase{{"--pref", "東京都 "}, 2, "no prefecture named"},
    BadInputCase{{"--pref", "0"}, 2, "no prefecture named \"0\""},
    BadInputCase{{"--pref", "48"}, 2, "no prefecture named \"48\""},
    BadInputCase{{"--pref", ""}, 2, "no prefecture named \"\""},
    BadInputCase{{"--at", "2010-02-30T00:00:00Z"}, 2, "\"2010-02-30T00:00:00Z\" is not a UTC instant"},
    BadInputCase{{"--at", "2010-09-16T24:00:00Z"}, 2, "is not a UTC instant"},
    BadInputCase{{"--at", "2010-09-16T04:51:35"}, 2, "is not a UTC instant"},
    BadInputCase{{"--at", "yesterday"}, 2, "is not a UTC instant"},
    BadInputCase{{"--count", "-1"}, 2, "--count takes a whole number"},
    BadInputCase{{"--count", "x"}, 2, "--count takes a whole number"},
    BadInputCase{{"--count", "99999999999999999999"}, 2, "--count takes a whole number"},
    BadInputCase{{"--rate", "4800"}, 2, "--rate goes with --port"},
    BadInputCase{{"--frobnicate"}, 2, "Unknown option 'frobnicate'"},
    BadInputCase{{"extra"}, 2, "unexpected argument \"extra\""},
    BadInputCase{{"--port", ""}, 1, "port \"\": the text selects no port"},
    BadInputCase{{"--port", "COM"}, 1, "port \"COM\": the text selects no port"},
    BadInputCase{{"--port", "COM0"}, 1, "port \"COM0\": the text selects no port"},
    BadInputCase{{"--port", "COM30000"}, 1, "port \"COM30000\" (/dev/ttyS29999): no such device"},
    BadInputCase{{"--port", "/dev/quilvex-missing"}, 1,
                 "port \"/dev/quilvex-missing\": no such device: No such file or directory"},
    BadInputCase{{"--port", "/tmp"}, 1, "port \"/tmp\": not a serial or terminal device"},
    BadInputCase{{"--port", "/dev/null"}, 1, "Inappropriate ioctl for device"}
));

class BadRateOnPty : public testing::TestWithParam<const char*> {};

TEST_P(BadRateOnPty, IsRefusedAndNothingIsSent)
{
    PseudoTerminal pty;
    const ToolRun run = Tool({"--port", QString::fromStdString(pty.slavePath()), "--rate", GetParam()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is not a line setting"), std::string::npos) << run.err;
    EXPECT_EQ(pty.readAvailable(50ms), "");
}

INSTANTIATE_TEST_SUITE_P(Rates, BadRateOnPty, testing::Values("", "abc", "0", "-4800", "4800.5"));

TEST(NmeaTool, RegularFileAsPortIsLeftByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious\n");
    }
    const ToolRun run = Tool({"--port", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not a serial or terminal device"), std::string::npos);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "precious\n");
}

TEST(NmeaTool, RealTimeTicksGoToThePortUntilTerminated)
{
    PseudoTerminal pty;
    QProcess* process = Start({"--port", QString::fromStdString(pty.slavePath()), "--count", "0"});
    const std::string first = pty.readExactly(307, 5s);
    ASSERT_EQ(first.size(), 307u);
    EXPECT_TRUE(first.starts_with("$GPZDA,"));
    ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
    const ToolRun run = Finish(process);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
}

TEST(NmeaTool, StoppedLineSkipsWholeTicksAndResumesWithFreshOnes)
{
    PseudoTerminal pty;
    QProcess* process = Start({"--port", QString::fromStdString(pty.slavePath()), "--count", "0"});
    std::string received = pty.readExactly(307, 5s);
    ASSERT_EQ(received.size(), 307u);

    ASSERT_EQ(::tcflow(pty.slaveFd(), TCOOFF), 0);  // the peer stops the line
    received += pty.readAvailable(3500ms);
    ASSERT_EQ(received.size(), 307u);
    ASSERT_EQ(::tcflow(pty.slaveFd(), TCOON), 0);
    received += pty.readExactly(3 * 307, 5s);
    ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
    const ToolRun run = Finish(process);
    received += pty.readAvailable(100ms);

    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(received.size() % 307, 0u) << "a tick was cut";
    // Whole ticks with seconds that only go forward; the ones held back were
    // dropped, not sent late.
    std::string previous;
    for (std::size_t at = 0; at < received.size(); at += 307) {
        const std::string tick = received.substr(at, 307);
        ASSERT_TRUE(tick.starts_with("$GPZDA,")) << tick;
        ASSERT_TRUE(tick.ends_with("$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n")) << tick;
        EXPECT_GT(tick.substr(7, 9), previous);
        previous = tick.substr(7, 9);
    }
    EXPECT_NE(run.err.find(" skipped while the line was busy"), std::string::npos) << run.err;
}

TEST(NmeaTool, StandardOutputRunsUntilInterrupted)
{
    QProcess* process = Start({"--count", "0"});
    ASSERT_TRUE(process->waitForReadyRead(5000));
    ::kill(static_cast<pid_t>(process->processId()), SIGINT);
    const ToolRun run = Finish(process);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GE(run.out.size(), 307u);
    EXPECT_EQ(run.out.size() % 307, 0u);
}

TEST(NmeaTool, LostPortEndsWithOneLineAndExit1)
{
    auto pty = std::make_unique<PseudoTerminal>();
    QProcess* process = Start({"--port", QString::fromStdString(pty->slavePath()), "--count", "0"});
    ASSERT_EQ(pty->readExactly(307, 5s).size(), 307u);
    pty.reset();
    const ToolRun run = Finish(process, 5000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.starts_with("quilvex-nmea: lost port \"/dev/pts/")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST(NmeaTool, HundredThousandStampedTicksArriveWholeInOrderInFlatMemory)
{
    constexpr long long kTicks = 100000;
    const StampedStreamResult r = RunStampedStream(QUILVEX_NMEA, kTicks);
    EXPECT_EQ(r.exitCode, 0) << r.toolError;
    EXPECT_EQ(r.bytes, kTicks * 307);
    EXPECT_EQ(r.wholeTicksInOrder, kTicks) << r.firstWrongTick;
#ifndef QUILVEX_SANITIZED  // the sanitizer's quarantine holds freed blocks on purpose
    EXPECT_GT(r.earlyKiB, 0);
    EXPECT_LT(r.lateKiB, r.earlyKiB + 1024) << "resident memory grew from " << r.earlyKiB << " KiB";
#endif
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
