#pragma once

#include <chrono>

namespace quilvex {

// When the real-time ticks go: one at each whole UTC second, like a
// receiver. The wall clock may step at any moment (NTP, an operator), so the
// plan is re-made from the clock at every wake-up and never waits on the wall
// clock itself: the caller arms a monotonic timer for `wait`, and only the
// last few milliseconds before a Send are slept precisely.
//
// One tick per wake-up that is due, stamped when it goes: a wake-up late by
// part of a second still sends; seconds that got no tick (a wake-up more
// than a second late, a step of the clock past them) are counted as skipped.
class TickSchedule {
public:
    using Clock = std::chrono::system_clock;
    using Monotonic = std::chrono::steady_clock;

    // A timer fires up to a couple of milliseconds late, so it is set this early.
    static constexpr std::chrono::milliseconds kTimerLead{3};
    // Longest wait before the clock is read again, so a step back is seen.
    static constexpr std::chrono::milliseconds kLongestWait{1000};
    // Less than this between the two clocks is drift or a slow read, not a step.
    static constexpr std::chrono::milliseconds kStepAtLeast{50};

    // Both clocks read at one moment.
    struct Reading {
        Clock::time_point wall;
        Monotonic::time_point monotonic;
    };

    struct Step {
        bool send = false;
        // send: sleep this long (at most a few ms), then call sent(); otherwise
        // arm the timer for this long and call wake() again.
        std::chrono::microseconds wait{0};
    };

    // One tick as it went.
    struct Timing {
        Clock::time_point at;                // the wall clock when it went: its stamp
        std::chrono::nanoseconds offset{0};  // wall clock minus monotonic clock then
        std::chrono::microseconds late{0};   // after the whole second it was armed for
        long long skipped = 0;               // seconds before it that got no tick
        std::chrono::milliseconds stepped{0};  // wall-clock step seen since the last tick
    };

    // Picks the next whole second and says how long to wait for it.
    std::chrono::milliseconds arm(Reading now);
    Step wake(Reading now);
    // The tick goes now; what it was for and how it went.
    Timing sent(Reading now);
    // The wall clock has not reached the second yet (a fraction short after a sleep).
    std::chrono::microseconds shortOf(Reading now) const;
    std::chrono::sys_seconds target() const { return m_target; }

private:
    std::chrono::sys_seconds m_target{};
    std::chrono::sys_seconds m_armed{};  // the second the timer was armed for
    std::chrono::sys_seconds m_lastSent{};
    std::chrono::nanoseconds m_offset{0};  // wall minus monotonic at the last tick
    bool m_started = false;
};

}  // namespace quilvex
