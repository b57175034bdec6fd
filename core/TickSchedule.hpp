#pragma once

#include <chrono>

namespace quilvex {

// When the real-time ticks go: one at each whole UTC second, like a
// receiver. The wall clock may step at any moment (NTP, an operator), so the
// plan is re-made from the clock at every wake-up and never waits on the wall
// clock itself: the caller arms a monotonic timer for `wait`, and only the
// last few milliseconds before a Send are slept precisely.
class TickSchedule {
public:
    using Clock = std::chrono::system_clock;

    // A timer fires up to a couple of milliseconds late, so it is set this early.
    static constexpr std::chrono::milliseconds kTimerLead{3};
    // Longest wait before the clock is read again, so a step back is seen.
    static constexpr std::chrono::milliseconds kLongestWait{1000};
    // A wake-up this late still sends (a busy loop); later, the second is gone.
    static constexpr std::chrono::milliseconds kLateLimit{500};

    struct Step {
        bool send = false;
        // send: sleep this long (at most a few ms), then send the tick for
        // target(); otherwise: arm the timer for this long and call wake() again.
        std::chrono::microseconds wait{0};
    };

    // Picks the next whole second and says how long to wait for it.
    std::chrono::milliseconds arm(Clock::time_point now);
    Step wake(Clock::time_point now);
    std::chrono::sys_seconds target() const { return m_target; }

private:
    std::chrono::sys_seconds m_target{};
    std::chrono::sys_seconds m_lastSent{};
};

}  // namespace quilvex
