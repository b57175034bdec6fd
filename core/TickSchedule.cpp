#include "TickSchedule.hpp"

#include <algorithm>

namespace quilvex {

using namespace std::chrono;

milliseconds TickSchedule::arm(Clock::time_point now)
{
    m_target = ceil<seconds>(now + kTimerLead);
    // A small step back would bring the same second round again.
    if (m_target == m_lastSent)
        m_target += seconds(1);
    const auto wait = floor<milliseconds>(m_target - now - kTimerLead);
    return std::clamp(wait, milliseconds(0), kLongestWait);
}

TickSchedule::Step TickSchedule::wake(Clock::time_point now)
{
    const auto early = m_target - now;
    if (early > kTimerLead + milliseconds(2) || early < -kLateLimit)
        return {false, arm(now)};  // the clock stepped, or the second is long gone
    m_lastSent = m_target;
    return {true, std::max(duration_cast<microseconds>(early), microseconds(0))};
}

}  // namespace quilvex
