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

ReplayCursor::ReplayCursor(Source source) : m_source(std::move(source))
{
    // The replay starts at the first fix the receiver had.
    for (m_last = m_source(); m_last && !m_last->valid;)
        m_last = m_source();
    if (m_last) {
        m_first = m_last->at;
        m_next = pull();
    }
}

std::optional<RecordedFix> ReplayCursor::pull()
{
    for (auto fix = m_source(); fix; fix = m_source()) {
        if (fix->at > m_last->at)
            return fix;
        ++m_backwards;
    }
    return std::nullopt;
}

std::optional<Replayed> ReplayCursor::at(std::chrono::milliseconds sinceFirst)
{
    if (!m_last)
        return std::nullopt;
    const UtcInstant t = m_first + sinceFirst;
    while (m_next && m_next->at <= t) {
        m_last = *m_next;
        m_next = pull();
    }
    if (!m_next && t > m_last->at)
        return std::nullopt;
    return ReplayedBetween(*m_last, m_next ? &*m_next : nullptr, t);
}

}  // namespace quilvex
