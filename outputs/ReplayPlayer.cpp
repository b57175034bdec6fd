#include "ReplayPlayer.hpp"

namespace quilvex {

std::variant<std::shared_ptr<ReplayPlayer>, FileProblem> ReplayPlayer::open(const QString& path, int pace, bool loop)
{
    std::shared_ptr<ReplayPlayer> player(new ReplayPlayer(path, pace, loop));
    if (auto problem = player->restart(0))
        return *problem;
    return player;
}

std::optional<FileProblem> ReplayPlayer::restart(long long second)
{
    auto opened = ReplayLog::open(m_path);
    if (auto* problem = std::get_if<FileProblem>(&opened))
        return *problem;
    m_log = std::move(std::get<std::unique_ptr<ReplayLog>>(opened));
    m_cursor = std::make_unique<ReplayCursor>([log = m_log.get()] { return log->next(); });
    m_from = second;
    if (m_cursor->empty())
        return FileProblem{"no usable fix in it: " + m_log->found(), false};
    return std::nullopt;
}

std::optional<Replayed> ReplayPlayer::at(long long second)
{
    const auto sinceFirst = [&] { return std::chrono::seconds((second - m_from) * m_pace); };
    auto replayed = m_cursor->at(sinceFirst());
    if (!replayed && m_loop && !restart(second))
        replayed = m_cursor->at(sinceFirst());
    return replayed;
}

std::string ReplayPlayer::skipped() const
{
    const std::string passed = m_log->skipped();
    const long long backwards = m_cursor->backwards();
    if (backwards == 0)
        return passed;
    return passed + (passed.empty() ? "" : ", ") + std::to_string(backwards) + " fixes not later than the one before";
}

}  // namespace quilvex
