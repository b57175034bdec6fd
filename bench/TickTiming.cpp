// Runs real-time ticks of quilvex-nmea --port into a pseudo-terminal and
// prints how steadily they arrive: interval error, drift and the delay from
// each tick's own UTC stamp to its arrival.
//
//   quilvex_tick_timing [TICKS=30]

#include "PseudoTerminal.hpp"

#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace std::chrono;

namespace {

struct Arrival {
    steady_clock::time_point steady;
    system_clock::time_point wall;
    system_clock::time_point stamp;  // the ZDA's own time, to the hundredth
};

// "$GPZDA,hhmmss.cc,DD,MO,YYYY,..." -> the instant it names.
bool ParseZda(const std::string& line, system_clock::time_point& stamp)
{
    int hh, mm, ss, cc, day, month, year;
    if (std::sscanf(line.c_str(), "$GPZDA,%2d%2d%2d.%2d,%d,%d,%d", &hh, &mm, &ss, &cc, &day, &month,
                    &year) != 7)
        return false;
    const year_month_day date{std::chrono::year{year}, std::chrono::month(unsigned(month)),
                              std::chrono::day(unsigned(day))};
    stamp = sys_days{date} + hours{hh} + minutes{mm} + seconds{ss} + milliseconds{cc * 10};
    return true;
}

struct Summary {
    double median, p99, max;
};

Summary Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        return values[std::min(values.size() - 1, std::size_t(std::ceil(q * double(values.size()))) - 1)];
    };
    return {at(0.5), at(0.99), values.back()};
}

}  // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    PseudoTerminal pty;
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QUILVEX_NMEA, {"--port", QString::fromStdString(pty.slavePath()), "--count",
                              QString::number(ticks)});
    if (!tool.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", QUILVEX_NMEA);
        return 1;
    }
    std::printf("measuring %d real-time ticks of %s into %s\n", ticks, QUILVEX_NMEA,
                pty.slavePath().c_str());

    std::vector<Arrival> arrivals;
    std::string pending;
    const auto deadline = steady_clock::now() + seconds(ticks + 5);
    while (int(arrivals.size()) < ticks && steady_clock::now() < deadline) {
        const std::string chunk = pty.readAvailable(milliseconds(200));
        const auto steadyNow = steady_clock::now();
        const auto wallNow = system_clock::now();
        pending += chunk;
        std::size_t end;
        while ((end = pending.find("\r\n")) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            system_clock::time_point stamp;
            if (ParseZda(line, stamp))
                arrivals.push_back({steadyNow, wallNow, stamp});
        }
    }
    tool.waitForFinished(3000);
    if (int(arrivals.size()) < ticks) {
        std::fprintf(stderr, "only %zu ticks arrived\n", arrivals.size());
        return 1;
    }

    std::vector<double> intervalError, stampToArrival;
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        stampToArrival.push_back(duration<double, std::milli>(arrivals[i].wall - arrivals[i].stamp).count());
        if (i > 0)
            intervalError.push_back(std::fabs(
                duration<double, std::milli>(arrivals[i].steady - arrivals[i - 1].steady).count() - 1000.0));
    }
    const double span = duration<double, std::milli>(arrivals.back().steady - arrivals.front().steady).count();
    const Summary e = Summarise(intervalError);
    const Summary d = Summarise(stampToArrival);
    std::printf("|interval - 1000 ms|: median %.3f ms, p99 %.3f ms, max %.3f ms\n", e.median, e.p99, e.max);
    std::printf("drift over %d ticks: %+.3f ms (span %.3f ms)\n", ticks, span - (ticks - 1) * 1000.0, span);
    std::printf("stamp to arrival: median %.3f ms, p99 %.3f ms, max %.3f ms (stamps are whole hundredths)\n",
                d.median, d.p99, d.max);
    return 0;
}
