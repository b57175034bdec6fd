#pragma once

#include <chrono>

namespace quilvex {

enum class TickFate {
    Send,     // nothing of ours waits: the tick goes out
    Skip,     // the previous tick is still leaving: let it finish, drop this one
    Replace,  // nothing has moved for a tick's time: withdraw what waits, send this
};

// A consumer's pace: it gets a tick whole or not at all, and never one gone
// stale behind a held line (flow stopped, an adapter stalled). Held means
// that what waits has not shrunk for about a tick's time.
class HeldLine {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kHeldAfter{900};  // ticks come 1000 ms apart

    // `waiting`: bytes of earlier ticks that have not left yet.
    TickFate fate(long long waiting, Clock::time_point now)
    {
        if (waiting <= 0)
            return TickFate::Send;
        if (waiting < m_waiting) {
            m_waiting = waiting;
            m_since = now;
            return TickFate::Skip;
        }
        return now - m_since < kHeldAfter ? TickFate::Skip : TickFate::Replace;
    }

    // A tick of this size was handed over.
    void sent(long long bytes, Clock::time_point now)
    {
        m_waiting = bytes;
        m_since = now;
    }

private:
    long long m_waiting = 0;
    Clock::time_point m_since{};
};

}  // namespace quilvex
