#include "RealTimeEpochs.hpp"

namespace quilvex {

RealTimeEpochs::Due RealTimeEpochs::next(const TickSchedule::Timing& timing)
{
    using namespace std::chrono;
    const auto second = floor<seconds>(timing.epoch);
    // A step back of the clock starts a new second too.
    const bool first = !m_started || second != floor<seconds>(m_lastEpoch) || timing.epoch <= m_lastEpoch;
    const seconds whole = !m_started ? seconds(0) : floor<seconds>(m_last) + seconds(first ? 1 : 0);
    const UtcInstant stamp = m_perSecond == 1 ? floor<milliseconds>(timing.at) : UtcInstant(timing.epoch);
    m_started = true;
    m_lastEpoch = timing.epoch;
    m_last = whole + (timing.epoch - second);
    return {m_last, stamp, first};
}

}  // namespace quilvex
