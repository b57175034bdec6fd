#include "SecondTimer.hpp"

#include <thread>

namespace quilvex {

SecondTimer::SecondTimer(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTimer::wake);
}

void SecondTimer::start()
{
    m_schedule = {};
    m_timer.start(m_schedule.arm(TickSchedule::Clock::now()));
}

void SecondTimer::stop()
{
    m_timer.stop();
}

void SecondTimer::wake()
{
    const TickSchedule::Step step = m_schedule.wake(TickSchedule::Clock::now());
    if (!step.send) {
        m_timer.start(std::chrono::duration_cast<std::chrono::milliseconds>(step.wait));
        return;
    }
    // Only the last few milliseconds are slept, on the monotonic clock.
    std::this_thread::sleep_for(step.wait);
    m_timer.start(m_schedule.arm(TickSchedule::Clock::now()));
    emit tick();
}

}  // namespace quilvex
