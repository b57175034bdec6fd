#include "ReplayPlayer.hpp"

namespace quilvex {

void ReplayPlayer::begin()
{
    startPass();
}

void ReplayPlayer::startPass()
{
    m_started = false;
    m_from.reset();
    m_cursor.reset();
    m_reader = std::make_unique<LogReader>(m_path);
    m_cursor = std::make_unique<ReplayCursor>([reader = m_reader.get()] { return reader->next(); });
    connect(m_reader.get(), &LogReader::more, this, &ReplayPlayer::read);
}

void ReplayPlayer::read()
{
    if (m_told) {
        emit more();
        return;
    }
    // The first pass says whether the run can start.
    switch (m_cursor->begin()) {
    case ReplayCursor::Start::Waiting:
        return;
    case ReplayCursor::Start::NoFix:
        m_told = true;
        emit failed(m_reader->problem().value_or(FileProblem{"no usable fix in it", false}));
        return;
    case ReplayCursor::Start::Ready:
        m_told = m_started = true;
        emit ready();
        return;
    }
}

ReplayCursor::At ReplayPlayer::at(std::chrono::milliseconds sinceFirst)
{
    using std::chrono::milliseconds;
    if (m_started) {
        const ReplayCursor::At a = m_cursor->at((sinceFirst - m_from.value_or(sinceFirst)) * m_pace);
        m_from = m_from.value_or(sinceFirst);
        if (a.state == ReplayCursor::At::State::Playing)
            m_held = a.replayed;
        if (a.state != ReplayCursor::At::State::Ended || !m_loop)
            return a;
        m_earlier += passCounts();
        startPass();
    }
    // A pass of a looping log starts: nothing here waits for it.
    switch (m_cursor->begin()) {
    case ReplayCursor::Start::Waiting:
        return {ReplayCursor::At::State::Waiting, m_held};
    case ReplayCursor::Start::NoFix: {
        const FileProblem p = m_reader->problem().value_or(FileProblem{"no usable fix in it", false});
        m_problem = FileProblem{"could not be read again for --loop: " + p.message, p.unreadable};
        return {ReplayCursor::At::State::Ended};
    }
    case ReplayCursor::Start::Ready:
        break;
    }
    m_started = true;
    m_from = sinceFirst;
    const ReplayCursor::At a = m_cursor->at(milliseconds(0));
    m_held = a.replayed;
    return a;
}

LogCounts ReplayPlayer::passCounts() const
{
    LogCounts counts = m_reader->counts();
    counts.backwards = m_cursor->backwards();
    return counts;
}

std::string ReplayPlayer::notice() const
{
    LogCounts counts = m_earlier;
    if (m_reader)
        counts += passCounts();
    const std::string unchecked = counts.unchecked ? "read " + std::to_string(counts.unchecked) + " without a checksum" : "";
    const std::string passed = counts.passedOver();
    return unchecked + (unchecked.empty() || passed.empty() ? "" : "; ") + (passed.empty() ? "" : "passed over " + passed);
}

}  // namespace quilvex
