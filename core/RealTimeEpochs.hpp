#pragma once

#include "TickSchedule.hpp"
#include "modGeneral.hpp"

#include <chrono>

namespace quilvex {

// What a real-time tick is for, from how the timer fired it: the epoch that
// moves the receiver (since the first tick, one second for each UTC second
// that had ticks plus the epoch's part of it, so a step of the clock moves
// neither the place nor a --fix-loss window), its stamp, and whether it is
// the first of its second (ZDA and the sky). At 1 Hz the stamp is the
// instant the tick went; above, its epoch's instant, known before it is due.
// The window and quilvex-nmea both tick through it.
class RealTimeEpochs {
public:
    struct Due {
        std::chrono::milliseconds sinceFirst;
        UtcInstant instant;
        bool firstOfSecond;
    };

    explicit RealTimeEpochs(int perSecond = 1) : m_perSecond(perSecond) {}

    Due next(const TickSchedule::Timing& timing);

private:
    int m_perSecond;
    bool m_started = false;
    std::chrono::milliseconds m_last{0};
    TickSchedule::Epoch m_lastEpoch{};
};

}  // namespace quilvex
