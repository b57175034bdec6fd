#include "TickRunner.hpp"

#include "ConsolePlatform.hpp"
#include "InstantText.hpp"
#include "PrefectureTable.hpp"

#include <QCoreApplication>

#include <cstdio>

namespace quilvex {
namespace {

constexpr int kStampedBatch = 64;  // stamped ticks handed over at once
constexpr std::chrono::milliseconds kDrainAtEnd{5000};
constexpr std::chrono::milliseconds kDrainAtSignal{80};

std::string Ticks(long long n)
{
    return std::to_string(n) + (n == 1 ? " tick" : " ticks");
}

}  // namespace

TickRunner::TickRunner(NmeaOptions options, std::vector<std::unique_ptr<TickOutput>> outputs,
                       QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_run(std::move(outputs))
{
    connect(&m_seconds, &SecondTimer::tick, this, &TickRunner::realTimeTick);
    connect(&m_run, &TickRun::failed, this, &TickRunner::outputFailed);
    connect(&m_run, &TickRun::finished, this, &TickRunner::ended);
    if (!m_options.quiet)
        connect(&m_run, &TickRun::notice, this, [this](const QString& line) { say(line.toStdString()); });
}

TickRunner::~TickRunner() = default;

TickSentences TickRunner::nextTick()
{
    const PrefectureRow& row = PrefectureTable[m_options.slot];
    ++m_ticks;
    TickSentences tick = m_options.at
        ? ComposeTickAt(*m_options.at + std::chrono::seconds(m_ticks - 1), row.lat, row.lon)
        : ComposeTickNow(row.lat, row.lon);
    const std::string stamp = tick[0].substr(7, 9);  // hhmmss.cc
    m_lastStamp = stamp.substr(0, 2) + ":" + stamp.substr(2, 2) + ":" + stamp.substr(4);
    return tick;
}

bool TickRunner::done() const
{
    return m_options.count != 0 && m_ticks >= m_options.count;
}

void TickRunner::say(const std::string& line) const
{
    if (m_statusLineShown)
        std::fputs("\r\x1b[K", stderr);
    std::fprintf(stderr, "quilvex-nmea: %s\n", line.c_str());
}

void TickRunner::start()
{
    if (const auto error = m_run.open()) {
        outputFailed(*error);
        return;
    }
    m_paced = m_run.paces() && m_options.at;
    if (!m_options.quiet) {
        const PrefectureRow& row = PrefectureTable[m_options.slot];
        std::string line = "sending " + std::string(row.name) + " (" + std::string(row.latin) + ", " +
                           std::string(row.lat) + " N, " + std::string(row.lon) + " E) to " + m_run.describe();
        if (m_options.count == 0)
            line += "; Ctrl+C stops";
        say(line);
    }
    if (m_paced) {
        connect(&m_run, &TickRun::becameIdle, this, &TickRunner::sendStamped, Qt::QueuedConnection);
        sendStamped();
    } else {
        // Real-time ticks, and stamped ones for outputs that set no pace of their own.
        m_seconds.start();
    }
}

// Stamped ticks stop before a five-digit year; from then on the run is done.
bool TickRunner::stampsRunOut()
{
    if (!m_options.at || *m_options.at + std::chrono::seconds(m_ticks) <= kLastStampedInstant)
        return false;
    say("stamped ticks reached the end of year 9999");
    m_status = std::max<int>(m_status, kExitUsage);
    m_options.count = m_ticks;
    return true;
}

void TickRunner::realTimeTick()
{
    if (m_finishing)
        return;
    if (!stampsRunOut()) {
        m_run.send(nextTick());
        showStatus();
    }
    if (done())
        finish(kExitDone, kDrainAtEnd);
}

void TickRunner::sendStamped()
{
    if (m_finishing || !m_run.pacedIdle())
        return;
    if (done()) {
        finish(kExitDone, kDrainAtEnd);
        return;
    }
    std::vector<TickSentences> batch;
    for (int i = 0; i < kStampedBatch && !done() && !stampsRunOut(); ++i)
        batch.push_back(nextTick());
    m_run.sendStamped(batch);
}

void TickRunner::showStatus()
{
    if (m_options.quiet || !StandardErrorIsTerminal())
        return;
    std::string state;
    if (const int n = m_run.consumers(); n >= 0)
        state += ", " + std::to_string(n) + (n == 1 ? " TCP client" : " TCP clients");
    std::fprintf(stderr, "\r%s, %lld skipped, last %s UTC%s\x1b[K", Ticks(m_ticks).c_str(), m_run.skippedTicks(),
                 m_lastStamp.c_str(), state.c_str());
    m_statusLineShown = true;
}

void TickRunner::outputFailed(const OutputError& error)
{
    say(OutputErrorMessage(error, Language::English));
    finish(kExitOutputFailed, kDrainAtSignal);
}

void TickRunner::stop()
{
    finish(m_status, kDrainAtSignal);
}

// What the outputs still hold goes out first, as long as it moves; a second
// call (another signal) cuts that short.
void TickRunner::finish(int status, std::chrono::milliseconds drainLimit)
{
    m_status = std::max(m_status, status);
    m_finishing = true;
    m_seconds.stop();
    m_run.finish(drainLimit);
}

void TickRunner::ended(const std::vector<OutputEnding>& endings)
{
    for (const OutputEnding& ending : endings) {
        if (ending.heldBytes > 0 && m_status != kExitOutputFailed) {
            say(std::to_string(ending.heldBytes) + " bytes could not leave " + ending.what + ": the line is held");
            m_status = std::max<int>(m_status, kExitHeld);
        }
    }
    for (const OutputEnding& ending : endings)
        if (ending.skippedTicks > 0)
            say(ending.what + ": " + Ticks(ending.skippedTicks) + " skipped while the consumer was busy");
    if (m_statusLineShown && !m_options.quiet)
        std::fputs("\r\x1b[K", stderr);
    QCoreApplication::exit(m_status);
}

}  // namespace quilvex
