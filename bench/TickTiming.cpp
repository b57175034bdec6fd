// Runs real-time ticks of quilvex-nmea --port into a pseudo-terminal at 1, 10
// and 20 Hz, each side by side with a bare C sender that sleeps to the same
// grid with clock_nanosleep(TIMER_ABSTIME) into another, and prints how late
// each epoch's first byte arrives after its instant (median, p99, max) for
// both, and quilvex-nmea's CPU use at each rate.
//
//   quilvex_tick_timing [SECONDS=30 per rate] [SYSTEMS=gps, as --gnss takes them]

#include "PseudoTerminal.hpp"

#include <QProcess>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono;

namespace {

constexpr int kEpochBytes = 330;

// "$GPZDA,hhmmss.cc,..." or "$GNGGA,hhmmss.cc,...": the epoch it names, on
// the day the line came (the bench does not run across midnight).
std::optional<system_clock::time_point> QuilvexEpoch(const std::string& line, system_clock::time_point came)
{
    int hh, mm, ss, cc;
    char type[4];
    if (std::sscanf(line.c_str(), "$%*2c%3[A-Z],%2d%2d%2d.%2d", type, &hh, &mm, &ss, &cc) != 5 ||
        (std::string(type) != "ZDA" && std::string(type) != "GGA"))
        return std::nullopt;
    return floor<days>(came) + hours{hh} + minutes{mm} + seconds{ss} + milliseconds{cc * 10};
}

// "$BARE,seconds.mmm".
std::optional<system_clock::time_point> BareEpoch(const std::string& line, system_clock::time_point)
{
    long long s, ms;
    if (std::sscanf(line.c_str(), "$BARE,%lld.%lld", &s, &ms) != 2)
        return std::nullopt;
    return system_clock::time_point(seconds{s} + milliseconds{ms});
}

// Lateness in ms of the first byte of each epoch a sender's lines name.
template <typename Parse>
std::vector<double> Lateness(PseudoTerminal& pty, Parse parse, std::size_t epochs, seconds limit,
                             std::atomic<long long>* seen = nullptr)
{
    std::vector<double> late;
    std::string line;
    system_clock::time_point lineStart{}, lastEpoch{};
    const auto deadline = steady_clock::now() + limit;
    while (late.size() < epochs && steady_clock::now() < deadline) {
        const std::string chunk = pty.readAvailable(milliseconds(200));
        const auto came = system_clock::now();
        for (const char c : chunk) {
            if (line.empty())
                lineStart = came;
            line += c;
            if (c != '\n')
                continue;
            if (const auto epoch = parse(line, lineStart); epoch && *epoch != lastEpoch) {
                lastEpoch = *epoch;
                late.push_back(duration<double, std::milli>(lineStart - *epoch).count());
                if (seen)
                    ++*seen;
            }
            line.clear();
        }
    }
    return late;
}

struct Summary {
    double median, p99, max;
};

Summary Summarise(std::vector<double> values)
{
    if (values.empty())
        return {NAN, NAN, NAN};
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        return values[std::min(values.size() - 1, std::size_t(std::ceil(q * double(values.size()))) - 1)];
    };
    return {at(0.5), at(0.99), values.back()};
}

// User and system CPU time of a process so far, in seconds.
double CpuSeconds(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i)
        if (i >= 14)
            ticks += std::stod(field);  // utime, stime
    return ticks / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv)
{
    const int span = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    const QString systems = argc > 2 ? argv[2] : "gps";
    std::printf("--gnss %s, %d s a rate; lateness of each epoch's first byte after its instant, in ms\n", qPrintable(systems), span);
    std::printf("%5s | %-26s | %-26s | %-12s | %s\n", "rate", "quilvex-nmea median/p99/max", "bare sender median/p99/max",
                "ratio median", "quilvex CPU");
    for (const int hz : {1, 10, 20}) {
        const long long epochs = static_cast<long long>(hz) * span;
        PseudoTerminal ours, bare;
        QProcess tool, sender;
        tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        tool.start(QUILVEX_NMEA, {"--quiet", "--format", "standard", "--gnss", systems, "--hz", QString::number(hz),
                                  "--port", QString::fromStdString(ours.slavePath()), "--rate", "460800", "--count",
                                  QString::number(epochs)});
        // As many bytes as a tick of quilvex-nmea's standard stream after the first of its second.
        sender.start(QUILVEX_GRID_SENDER, {QString::fromStdString(bare.slavePath()), QString::number(hz),
                                           QString::number(epochs), QString::number(kEpochBytes)});
        if (!tool.waitForStarted() || !sender.waitForStarted()) {
            std::fprintf(stderr, "cannot start %s or %s\n", QUILVEX_NMEA, QUILVEX_GRID_SENDER);
            return 1;
        }
        // CPU from the second second to the last but one: no start-up, no end.
        std::atomic<long long> seen{0};
        double cpu = NAN;
        std::thread sampler([&] {
            while (seen < hz && tool.state() != QProcess::NotRunning)
                std::this_thread::sleep_for(milliseconds(5));
            const double cpu0 = CpuSeconds(tool.processId());
            const auto t0 = steady_clock::now();
            while (seen < epochs - hz && tool.state() != QProcess::NotRunning)
                std::this_thread::sleep_for(milliseconds(5));
            cpu = 100 * (CpuSeconds(tool.processId()) - cpu0) / duration<double>(steady_clock::now() - t0).count();
        });
        std::vector<double> bareLate;
        std::thread bareReader([&] { bareLate = Lateness(bare, BareEpoch, std::size_t(epochs), seconds(span + 5)); });
        const std::vector<double> ourLate =
            Lateness(ours, QuilvexEpoch, std::size_t(epochs), seconds(span + 5), &seen);
        bareReader.join();
        seen = epochs;
        sampler.join();
        tool.waitForFinished(5000);
        sender.waitForFinished(5000);
        const Summary q = Summarise(ourLate), b = Summarise(bareLate);
        char ours_[64], bares[64];
        std::snprintf(ours_, sizeof ours_, "%.3f / %.3f / %.3f", q.median, q.p99, q.max);
        std::snprintf(bares, sizeof bares, "%.3f / %.3f / %.3f", b.median, b.p99, b.max);
        std::printf("%3d Hz | %-26s | %-26s | %-12.2f | %.3f %% of a core (%zu/%zu epochs)\n", hz, ours_, bares,
                    q.median / b.median, cpu, ourLate.size(), bareLate.size());
        std::fflush(stdout);
    }
    return 0;
}
