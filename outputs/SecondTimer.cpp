#include "SecondTimer.hpp"

#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#ifdef _WIN32
#include <windows.h>
#include <timeapi.h>
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif
#endif

namespace quilvex {
namespace {
TickSchedule::Reading ReadClocks()
{
    return {TickSchedule::Clock::now(), TickSchedule::Monotonic::now()};
}

#ifdef _WIN32
// Windows wakes timers and sleeps on a 15.6 ms clock interrupt unless a
// program asks for 1 ms, which it does only while ticks run.
void HoldFineTimerPeriod(bool hold)
{
    if (hold)
        timeBeginPeriod(1);
    else
        timeEndPeriod(1);
}

// The last milliseconds before the second, on a high-resolution waitable
// timer (Windows 10 1803 and later); elsewhere Sleep at the 1 ms period.
void SleepFor(std::chrono::microseconds wait)
{
    thread_local const HANDLE timer =
        CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(wait.count()) * 10;  // relative, in 100 ns
    if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
        WaitForSingleObject(timer, INFINITE);
    else
        std::this_thread::sleep_for(wait);
}
#else
// Linux lets a sleep end up to 50 us late (the thread's timer slack) to
// batch wake-ups; the last milliseconds before a tick are slept to 1 us.
void HoldFineTimerPeriod(bool hold)
{
#ifdef __linux__
    prctl(PR_SET_TIMERSLACK, hold ? 1000UL : 0UL);  // 0: the thread's default again
#else
    (void)hold;
#endif
}

void SleepFor(std::chrono::microseconds wait)
{
    std::this_thread::sleep_for(wait);
}
#endif
}  // namespace

SecondTimer::SecondTimer(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTimer::wake);
}

SecondTimer::~SecondTimer()
{
    stop();
}

void SecondTimer::start()
{
    if (!m_finePeriod)
        HoldFineTimerPeriod(m_finePeriod = true);
    m_schedule = TickSchedule(std::chrono::milliseconds(1000 / m_perSecond));
    m_timing = {};
    m_skipped = 0;
    m_timer.start(m_schedule.arm(ReadClocks()));
}

void SecondTimer::stop()
{
    m_timer.stop();
    if (m_finePeriod)
        HoldFineTimerPeriod(m_finePeriod = false);
}

void SecondTimer::wake()
{
    const TickSchedule::Step step = m_schedule.wake(ReadClocks());
    if (!step.send) {
        m_timer.start(std::chrono::duration_cast<std::chrono::milliseconds>(step.wait));
        return;
    }
    const TickSchedule::Reading woke = ReadClocks();
    const auto offset = woke.wall.time_since_epoch() - woke.monotonic.time_since_epoch();
    m_upcoming = {m_schedule.target(), m_schedule.target(), offset};
    emit coming();
    // Only the last few milliseconds are slept, on the monotonic clock; the
    // wall clock may still be a hair short of the epoch after it.
    for (auto wait = m_schedule.shortOf(ReadClocks()); wait.count() > 0; wait = m_schedule.shortOf(ReadClocks()))
        SleepFor(wait);
    const TickSchedule::Reading now = ReadClocks();
    m_timing = m_schedule.sent(now);
    m_skipped += m_timing.skipped;
    m_timer.start(m_schedule.arm(now));
    emit tick();
}

}  // namespace quilvex
