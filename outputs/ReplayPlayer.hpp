#pragma once

#include "ReplayLog.hpp"

#include <memory>
#include <variant>

namespace quilvex {

// A log as a run plays it: re-timed to the run's seconds at a pace, its
// first fix at the first tick, read again from the start when looping.
class ReplayPlayer {
public:
    // Reads up to the log's first fix: a problem when it cannot be read or
    // has no usable fix.
    static std::variant<std::shared_ptr<ReplayPlayer>, FileProblem> open(const QString& path, int pace, bool loop);

    // The log at this second of the run; nothing once it has ended, or when
    // a looping log cannot be read again.
    std::optional<Replayed> at(long long second);
    std::string skipped() const;  // what the last pass over the log passed over
    int pace() const { return m_pace; }
    bool loops() const { return m_loop; }

private:
    ReplayPlayer(QString path, int pace, bool loop) : m_path(std::move(path)), m_pace(pace), m_loop(loop) {}
    std::optional<FileProblem> restart(long long second);

    QString m_path;
    int m_pace;
    bool m_loop;
    std::unique_ptr<ReplayLog> m_log;
    std::unique_ptr<ReplayCursor> m_cursor;
    long long m_from = 0;  // the run's second at which this pass began
};

}  // namespace quilvex
