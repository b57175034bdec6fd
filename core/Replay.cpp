#include "Replay.hpp"

#include "Geodesy.hpp"

#include <utility>

namespace quilvex {

Replayed ReplayedBetween(const RecordedFix& last, const RecordedFix* next, UtcInstant t)
{
    const bool gap = next && next->at - last.at > kLongestGap;
    if (!last.valid || (gap && t > last.at))
        return {};
    Replayed r{true, last.place, last.knots.value_or(0), last.courseDeg.value_or(0)};
    if (!next || !next->valid || gap || !(next->at > last.at))
        return r;
    const double span = std::chrono::duration<double>(next->at - last.at).count();
    // The shortest way between them: at a logged instant, exactly the logged place.
    const Heading h = GeodesicPointAt(last.place, next->place, std::chrono::duration<double>(t - last.at).count() / span);
    r.place = h.place;
    r.knots = last.knots.value_or(GeodesicBetween(last.place, next->place).metres / span / kKnot);
    r.courseDeg = last.courseDeg.value_or(h.courseDeg);
    return r;
}

ReplayCursor::Start ReplayCursor::begin()
{
    while (!m_next && !(m_last && m_last->valid)) {
        const LogNext n = m_source();
        if (n.state != LogNext::State::Fix)
            return n.state == LogNext::State::Waiting ? Start::Waiting : Start::NoFix;
        if (!m_last)
            m_first = n.fix.at;
        if (m_last && !(n.fix.at > m_last->at))
            ++m_backwards;
        else if (!m_last || !n.fix.valid)
            m_last = n.fix;
        else
            m_next = n.fix;
    }
    return Start::Ready;
}

LogNext ReplayCursor::pull()
{
    for (LogNext n = m_source();; n = m_source()) {
        if (n.state != LogNext::State::Fix || n.fix.at > m_last->at)
            return n;
        ++m_backwards;
    }
}

ReplayCursor::At ReplayCursor::at(std::chrono::milliseconds sinceFirst)
{
    const UtcInstant t = m_first + sinceFirst;
    bool waiting = false;
    while (!waiting) {
        if (!m_next && !m_ended) {
            const LogNext n = pull();
            m_ended = n.state == LogNext::State::Ended;
            waiting = n.state == LogNext::State::Waiting;
            if (n.state == LogNext::State::Fix)
                m_next = n.fix;
        }
        if (!m_next || m_next->at > t)
            break;
        m_last = *m_next;
        m_next.reset();
    }
    if (m_next)
        return {At::State::Playing, ReplayedBetween(*m_last, &*m_next, t)};
    if (m_ended)
        return t > m_last->at ? At{At::State::Ended} : At{At::State::Playing, ReplayedBetween(*m_last, nullptr, t)};
    if (t - m_last->at > kLongestGap)
        return {At::State::Waiting};
    return {At::State::Waiting, ReplayedBetween(*m_last, nullptr, t)};
}

}  // namespace quilvex
