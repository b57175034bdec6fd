#include "StampedStream.hpp"

#include "PseudoTerminal.hpp"

#include <QProcess>

#include <chrono>
#include <cstdio>
#include <fstream>

using namespace std::chrono_literals;

namespace {

constexpr std::size_t kTickBytes = 307;
constexpr const char* kGsaLine = "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n";

long StatusKiB(qint64 pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == field) {
            long value = 0;
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Tick i starts at 2010-09-16T00:00:00Z + i seconds.
std::string ExpectedStamp(long long i)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "$GPZDA,%02lld%02lld%02lld.00,", i / 3600 % 24, i / 60 % 60,
                  i % 60);
    return stamp;
}

}  // namespace

StampedStreamResult RunStampedStream(const std::string& tool, long long ticks)
{
    PseudoTerminal pty;
    QProcess process;
    process.start(QString::fromStdString(tool),
                  {"--port", QString::fromStdString(pty.slavePath()), "--rate", "115200", "--at",
                   "2010-09-16T00:00:00.000Z", "--count", QString::number(ticks)});
    process.waitForStarted();

    StampedStreamResult result;
    const auto begin = std::chrono::steady_clock::now();
    const auto deadline = begin + 10min;
    std::string pending;
    bool inOrder = true;
    while (result.bytes < ticks * static_cast<long long>(kTickBytes) &&
           std::chrono::steady_clock::now() < deadline) {
        const std::string chunk = pty.readAvailable(500ms);
        if (chunk.empty() && process.state() == QProcess::NotRunning)
            break;
        result.bytes += static_cast<long long>(chunk.size());
        pending += chunk;
        std::size_t used = 0;
        for (; pending.size() - used >= kTickBytes; used += kTickBytes) {
            if (!inOrder)
                continue;
            const std::string_view tick(pending.data() + used, kTickBytes);
            if (!tick.starts_with(ExpectedStamp(result.wholeTicksInOrder)) || !tick.ends_with(kGsaLine)) {
                inOrder = false;
                result.firstWrongTick = std::string(tick);
                continue;
            }
            ++result.wholeTicksInOrder;
            if (result.earlyKiB == 0 && result.wholeTicksInOrder >= 1000)
                result.earlyKiB = StatusKiB(process.processId(), "VmRSS:");
            if (result.lateKiB == 0 && result.wholeTicksInOrder >= ticks * 9 / 10) {
                result.lateKiB = StatusKiB(process.processId(), "VmRSS:");
                result.peakKiB = StatusKiB(process.processId(), "VmHWM:");
            }
        }
        pending.erase(0, used);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    process.waitForFinished(10000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.toolError = process.readAllStandardError().toStdString();
    return result;
}
