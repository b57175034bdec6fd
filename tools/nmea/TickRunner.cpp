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
constexpr qint64 kHeldAfterMs = 500;  // no byte moved this long: the line is held

std::string Ticks(long long n)
{
    return std::to_string(n) + (n == 1 ? " tick" : " ticks");
}

}  // namespace

TickRunner::TickRunner(NmeaOptions options, std::vector<std::unique_ptr<TickOutput>> outputs,
                       QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_outputs(std::move(outputs))
{
    m_drain.setInterval(10);
    connect(&m_drain, &QTimer::timeout, this, &TickRunner::drainStep);
    connect(&m_seconds, &SecondTimer::tick, this, &TickRunner::realTimeTick);
}

TickRunner::~TickRunner() = default;

Tick TickRunner::nextTick()
{
    const PrefectureRow& row = PrefectureTable[m_options.slot];
    ++m_ticks;
    Tick tick = m_options.at
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

bool TickRunner::pacedIdle() const
{
    for (const auto& output : m_outputs)
        if (output->paces() && !output->idle())
            return false;
    return true;
}

void TickRunner::say(const std::string& line) const
{
    if (m_statusLineShown)
        std::fputs("\r\x1b[K", stderr);
    std::fprintf(stderr, "quilvex-nmea: %s\n", line.c_str());
}

void TickRunner::start()
{
    for (const auto& output : m_outputs) {
        if (const auto error = output->open()) {
            outputFailed(*error);
            return;
        }
        connect(output.get(), &TickOutput::failed, this, &TickRunner::outputFailed);
        if (!m_options.quiet)
            connect(output.get(), &TickOutput::notice, this, [this](const QString& line) { say(line.toStdString()); });
        m_paced = m_paced || output->paces();
    }
    m_paced = m_paced && m_options.at;
    if (!m_options.quiet) {
        const PrefectureRow& row = PrefectureTable[m_options.slot];
        std::string line = "sending " + std::string(row.name) + " (" + std::string(row.latin) + ", " +
                           std::string(row.lat) + " N, " + std::string(row.lon) + " E) to ";
        for (std::size_t i = 0; i < m_outputs.size(); ++i)
            line += (i ? "; " : "") + m_outputs[i]->describe();
        if (m_options.count == 0)
            line += "; Ctrl+C stops";
        say(line);
    }
    if (m_paced) {
        for (const auto& output : m_outputs)
            if (output->paces())
                connect(output.get(), &TickOutput::becameIdle, this, &TickRunner::sendStamped, Qt::QueuedConnection);
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
        const Tick tick = nextTick();
        for (const auto& output : m_outputs)
            output->sendTick(tick);
        showStatus();
    }
    if (done())
        finish(kExitDone, kDrainAtEnd);
}

void TickRunner::sendStamped()
{
    if (m_finishing || !pacedIdle())
        return;
    if (done()) {
        finish(kExitDone, kDrainAtEnd);
        return;
    }
    std::string batch;
    for (int i = 0; i < kStampedBatch && !done() && !stampsRunOut(); ++i) {
        const Tick tick = nextTick();
        batch += JoinTick(tick);
        for (const auto& output : m_outputs)
            if (!output->paces())
                output->sendTick(tick);
    }
    for (const auto& output : m_outputs)
        if (output->paces())
            output->sendStamped(batch);
}

void TickRunner::showStatus()
{
    if (m_options.quiet || !StandardErrorIsTerminal())
        return;
    long long skipped = 0;
    std::string state;
    for (const auto& output : m_outputs) {
        skipped += output->skippedTicks();
        if (const int n = output->consumers(); n >= 0)
            state += ", " + std::to_string(n) + (n == 1 ? " TCP client" : " TCP clients");
    }
    std::fprintf(stderr, "\r%s, %lld skipped, last %s UTC%s\x1b[K", Ticks(m_ticks).c_str(), skipped,
                 m_lastStamp.c_str(), state.c_str());
    m_statusLineShown = true;
}

void TickRunner::outputFailed(const LinkError& error)
{
    say(EnglishMessage(error));
    finish(kExitOutputFailed, kDrainAtSignal);
}

void TickRunner::stop()
{
    if (m_finishing) {
        m_drainLimit = std::chrono::milliseconds(0);  // a second signal: no more waiting
        return;
    }
    finish(m_status, kDrainAtSignal);
}

// What the outputs still hold goes out first, as long as it moves.
void TickRunner::finish(int status, std::chrono::milliseconds drainLimit)
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_status = std::max(m_status, status);
    m_seconds.stop();
    m_drainLimit = drainLimit;
    m_drainClock.start();
    m_lastWaiting = -1;
    drainStep();
    if (m_finishing)
        m_drain.start();
}

void TickRunner::drainStep()
{
    long long waiting = 0;
    for (const auto& output : m_outputs)
        waiting += output->waiting();
    const qint64 elapsed = m_drainClock.elapsed();
    if (waiting != m_lastWaiting) {
        m_lastWaiting = waiting;
        m_lastProgressMs = elapsed;
    }
    const bool held = elapsed >= m_drainLimit.count() || elapsed - m_lastProgressMs >= kHeldAfterMs;
    if (waiting > 0 && !held)
        return;
    m_drain.stop();
    if (m_status != kExitOutputFailed) {
        for (const auto& output : m_outputs) {
            if (const long long left = output->waiting(); left > 0) {
                say(std::to_string(left) + " bytes could not leave " + output->describe() + ": the line is held");
                m_status = std::max<int>(m_status, kExitHeld);
            }
        }
    }
    end();
}

void TickRunner::end()
{
    m_finishing = true;
    for (const auto& output : m_outputs) {
        output->close();
        if (output->skippedTicks() > 0)
            say(output->describe() + ": " + Ticks(output->skippedTicks()) +
                " skipped while the consumer was busy");
    }
    if (m_statusLineShown && !m_options.quiet)
        std::fputs("\r\x1b[K", stderr);
    QCoreApplication::exit(m_status);
}

}  // namespace quilvex
