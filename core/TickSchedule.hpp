#pragma once

#include <chrono>

namespace quilvex {

// When the real-time ticks go: one at each epoch of a grid of 1/N s that
// starts at each whole UTC second, like a receiver at N Hz (N = 1: once a
// second). The first comes at a whole second. The wall clock may step at any
// moment (NTP, an operator), so the plan is re-made from the clock at every
// wake-up and never waits on the wall clock itself: the caller arms a
// monotonic timer for `wait`, and only the last few milliseconds before a
// Send are slept precisely.
//
// One tick per wake-up that is due, stamped when it goes: a wake-up late by
// part of an epoch still sends; epochs that got no tick (a wake-up more than
// an epoch late, a step of the clock past them) are counted as skipped.
class TickSchedule {
public:
    using Clock = std::chrono::system_clock;
    using Monotonic = std::chrono::steady_clock;
    using Epoch = std::chrono::sys_time<std::chrono::milliseconds>;

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
        Clock::time_point at;                // the wall clock when it went
        Epoch epoch{};                       // the instant of the grid it went for
        std::chrono::nanoseconds offset{0};  // wall clock minus monotonic clock then
        std::chrono::microseconds late{0};   // after the epoch it was armed for
        long long skipped = 0;               // epochs before it that got no tick
        std::chrono::milliseconds stepped{0};  // wall-clock step seen since the last tick
    };

    // 1 s divided by the rate: a whole number of milliseconds that divides a second.
    explicit TickSchedule(std::chrono::milliseconds period = std::chrono::seconds(1)) : m_period(period) {}

    // Picks the next epoch and says how long to wait for it.
    std::chrono::milliseconds arm(Reading now);
    Step wake(Reading now);
    // The tick goes now; what it was for and how it went.
    Timing sent(Reading now);
    // The wall clock has not reached the epoch yet (a fraction short after a sleep).
    std::chrono::microseconds shortOf(Reading now) const;
    Epoch target() const { return m_target; }
    std::chrono::milliseconds period() const { return m_period; }

private:
    Epoch floorToGrid(Clock::time_point t) const;

    std::chrono::milliseconds m_period;
    Epoch m_target{};
    Epoch m_armed{};  // the epoch the timer was armed for
    Epoch m_lastSent{};
    std::chrono::nanoseconds m_offset{0};  // wall minus monotonic at the last tick
    bool m_started = false;
};

}  // namespace quilvex
