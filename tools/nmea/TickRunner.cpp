#include "TickRunner.hpp"

#include "PortRules.hpp"
#include "PrefectureTable.hpp"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <thread>

namespace quilvex {
namespace {

constexpr int kStampedBatch = 256;  // stamped ticks per turn of the event loop
constexpr int kDrainMs = 1000;
// Qt timers keep whole milliseconds and wake up to one or two late, so the
// timer is set this much early and the last stretch is slept precisely.
constexpr std::chrono::milliseconds kTimerLead{3};

void WriteToStandardOutput(const TickSentences& tick)
{
    for (const std::string& sentence : tick)
        std::fwrite(sentence.data(), 1, sentence.size(), stdout);
}

}  // namespace

TickRunner::TickRunner(NmeaOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    m_timer.setTimerType(Qt::PreciseTimer);
}

TickSentences TickRunner::nextTick()
{
    const PrefectureRow& row = PrefectureTable[m_options.slot];
    ++m_ticks;
    if (m_options.at)
        return ComposeTickAt(*m_options.at + std::chrono::seconds(m_ticks - 1), row.lat, row.lon);
    return ComposeTickNow(row.lat, row.lon);
}

bool TickRunner::done() const
{
    return m_options.count != 0 && m_ticks >= m_options.count;
}

void TickRunner::start()
{
    if (m_options.port) {
        m_link = std::make_unique<SerialLink>();
        m_link->setPort(QString::fromStdString(*m_options.port));
        m_link->setSettings(QString::fromStdString(SettingsText(m_options.rate)));
        if (const auto error = m_link->open()) {
            linkFailed(*error);
            return;
        }
        connect(m_link.get(), &SerialLink::failed, this, &TickRunner::linkFailed);
    }

    if (!m_options.at) {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &TickRunner::realTimeTick);
        armForNextSecond();
    } else if (m_link) {
        // Each stamped tick waits for the previous one to reach the driver.
        connect(m_link.get(), &SerialLink::handedOff, this, &TickRunner::sendNextStamped,
                Qt::QueuedConnection);
        sendNextStamped();
    } else {
        connect(&m_timer, &QTimer::timeout, this, &TickRunner::writeBatchToStandardOutput);
        m_timer.start(0);
    }
}

// Like a receiver, each tick starts at a whole UTC second, so its stamp
// reads .00 and a time consumer sees the sentence right after that second.
// Re-armed from the clock every time: no drift, and clock steps are followed.
void TickRunner::armForNextSecond()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    m_nextSecond = ceil<seconds>(now + kTimerLead);
    m_timer.start(static_cast<int>(floor<milliseconds>(m_nextSecond - now - kTimerLead).count()));
}

void TickRunner::realTimeTick()
{
    if (m_finished)
        return;
    std::this_thread::sleep_until(m_nextSecond);
    armForNextSecond();
    const TickSentences tick = nextTick();
    if (m_link) {
        m_link->writeTick(tick);
    } else {
        WriteToStandardOutput(tick);
        std::fflush(stdout);
    }
    if (done())
        finish(0);
}

void TickRunner::writeBatchToStandardOutput()
{
    for (int i = 0; i < kStampedBatch && !done(); ++i)
        WriteToStandardOutput(nextTick());
    std::fflush(stdout);
    if (done())
        finish(0);
}

void TickRunner::sendNextStamped()
{
    if (m_finished || !m_link->handedToDriver())
        return;
    if (done()) {
        finish(0);
        return;
    }
    for (const std::string& sentence : nextTick())
        m_link->write(sentence);
}

// A failed open and a port lost while sending end the same way.
void TickRunner::linkFailed(const LinkError& error)
{
    std::fprintf(stderr, "quilvex-nmea: %s\n", EnglishMessage(error).c_str());
    finish(1);
}

void TickRunner::stop()
{
    finish(0);
}

void TickRunner::finish(int exitCode)
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    std::fflush(stdout);
    if (m_link) {
        m_link->drainAndClose(kDrainMs);
        if (m_link->skippedTicks() > 0)
            std::fprintf(stderr, "quilvex-nmea: %lld ticks sent, %lld skipped while the line was busy\n",
                         m_ticks - m_link->skippedTicks(), m_link->skippedTicks());
    }
    QCoreApplication::exit(exitCode);
}

}  // namespace quilvex
