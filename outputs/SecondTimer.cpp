#include "SecondTimer.hpp"

#include <thread>

namespace quilvex {
namespace {
TickSchedule::Reading ReadClocks()
{
    return {TickSchedule::Clock::now(), TickSchedule::Monotonic::now()};
}
}  // namespace

SecondTimer::SecondTimer(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTimer::wake);
}

void SecondTimer::start()
{
    m_schedule = {};
    m_timing = {};
    m_skipped = 0;
    m_timer.start(m_schedule.arm(ReadClocks()));
}

void SecondTimer::stop()
{
    m_timer.stop();
}

void SecondTimer::wake()
{
    const TickSchedule::Step step = m_schedule.wake(ReadClocks());
    if (!step.send) {
        m_timer.start(std::chrono::duration_cast<std::chrono::milliseconds>(step.wait));
        return;
    }
    // Only the last few milliseconds are slept, on the monotonic clock; the
    // wall clock may still be a hair short of the second after it.
    for (auto wait = step.wait; wait.count() > 0; wait = m_schedule.shortOf(ReadClocks()))
        std::this_thread::sleep_for(wait);
    const TickSchedule::Reading now = ReadClocks();
    m_timing = m_schedule.sent(now);
    m_skipped += m_timing.skipped;
    m_timer.start(m_schedule.arm(now));
    emit tick();
}

}  // namespace quilvex
