#pragma once

#include "LogReader.hpp"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>

namespace quilvex {

// A log as a run plays it: re-timed to the run's seconds at a pace, its
// first record at the first tick, read again from the start when looping.
// Nothing here waits for the file.
class ReplayPlayer : public QObject {
    Q_OBJECT

public:
    ReplayPlayer(QString path, int pace, bool loop) : m_path(std::move(path)), m_pace(pace), m_loop(loop) {}

    void begin();  // starts reading; then `ready` or `failed`

    // The log at this epoch of the run. Ended once it has ended (with a
    // problem() when a looping log could not be read again); Waiting while
    // what comes next is not read yet, with what holds meanwhile.
    ReplayCursor::At at(std::chrono::milliseconds sinceFirst);
    std::optional<FileProblem> problem() const { return m_problem; }
    // Every pass's counts: "read 2 without a checksum; passed over 3 ..."
    std::string notice() const;
    int pace() const { return m_pace; }
    bool loops() const { return m_loop; }

signals:
    void ready();  // the first fix is read: the run can start
    void failed(const quilvex::FileProblem& problem);
    void more();   // what was waited for may have come

private:
    void startPass();
    void read();
    LogCounts passCounts() const;

    QString m_path;
    int m_pace;
    bool m_loop;
    std::unique_ptr<LogReader> m_reader;
    std::unique_ptr<ReplayCursor> m_cursor;
    bool m_started = false;  // the pass has found its first fix
    bool m_told = false;     // ready or failed was said
    std::optional<std::chrono::milliseconds> m_from;  // the run's epoch at which this pass began
    LogCounts m_earlier;  // of the passes before this one
    std::optional<FileProblem> m_problem;
    Replayed m_held{};  // the last tick's, while a new pass starts
};

}  // namespace quilvex
