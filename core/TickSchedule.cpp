#include "TickSchedule.hpp"

#include <algorithm>

namespace quilvex {

using namespace std::chrono;

namespace {
constexpr auto kSlack = TickSchedule::kTimerLead + milliseconds(2);  // how early a wake-up may come

nanoseconds OffsetOf(TickSchedule::Reading now)
{
    return now.wall.time_since_epoch() - now.monotonic.time_since_epoch();
}
}  // namespace

TickSchedule::Epoch TickSchedule::floorToGrid(Clock::time_point t) const
{
    // The grid starts at each whole second, since a period divides one.
    const auto ms = floor<milliseconds>(t);
    return ms - (ms.time_since_epoch() % m_period + m_period) % m_period;
}

milliseconds TickSchedule::arm(Reading now)
{
    if (!m_started) {
        // The first tick of a run is at a whole second.
        m_started = true;
        m_offset = OffsetOf(now);
        m_target = ceil<seconds>(now.wall);
    } else {
        const Epoch below = floorToGrid(now.wall);
        m_target = below < now.wall ? below + m_period : below;
    }
    // A small step back would bring the same epoch round again.
    if (m_target == m_lastSent)
        m_target = m_lastSent + m_period;
    m_armed = m_target;
    const auto wait = floor<milliseconds>(m_target - now.wall - kTimerLead);
    return std::clamp(wait, milliseconds(0), kLongestWait);
}

TickSchedule::Step TickSchedule::wake(Reading now)
{
    if (m_target - now.wall > kSlack)
        return {false, arm(now)};  // early: a long wait read the clock again, or the clock went back
    // Due: this wake-up sends one tick. Epochs already gone get none; one
    // about to begin is waited for, so the tick is on the grid.
    m_target = std::max(m_target, floorToGrid(now.wall + kSlack));
    return {true, std::max(ceil<microseconds>(m_target - now.wall), microseconds(0))};
}

microseconds TickSchedule::shortOf(Reading now) const
{
    const auto left = ceil<microseconds>(m_target - now.wall);
    return left > microseconds(0) && left <= kSlack ? left : microseconds(0);
}

TickSchedule::Timing TickSchedule::sent(Reading now)
{
    // A sleep that ran long carries the tick into a later epoch.
    m_target = std::max(m_target, floorToGrid(now.wall));
    Timing timing;
    timing.at = now.wall;
    timing.epoch = m_target;
    timing.offset = OffsetOf(now);
    timing.late = duration_cast<microseconds>(now.wall - m_armed);
    timing.skipped = (m_target - m_armed) / m_period;
    timing.stepped = duration_cast<milliseconds>(timing.offset - m_offset);
    m_offset = timing.offset;
    m_lastSent = m_target;
    return timing;
}

}  // namespace quilvex
