#pragma once

#include "ReplayLog.hpp"

#include <QObject>

#include <memory>

namespace quilvex {

// A log read in a thread of its own, a few records ahead, so that a file or
// a FIFO whose writer stalls never holds up the event loop: the records
// wait in a small queue until taken, and `more` says when one comes.
class LogReader : public QObject {
    Q_OBJECT

public:
    explicit LogReader(const QString& path);  // starts reading at once
    // A thread still waiting on a stalled writer is left to end with the program.
    ~LogReader() override;

    LogNext next();  // never waits
    // Once it has ended: why the file could not be opened or used.
    std::optional<FileProblem> problem() const;
    LogCounts counts() const;  // so far

    struct Shared;  // with the reading thread

signals:
    void more();  // a record, the end or a problem came into an empty queue

private:
    std::shared_ptr<Shared> m_shared;
};

}  // namespace quilvex
