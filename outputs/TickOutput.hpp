#pragma once

#include "HeldLine.hpp"
#include "OutputError.hpp"
#include "Tick.hpp"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace quilvex {

// Where ticks go: a serial port, standard output, TCP clients, UDP, a
// virtual port. The run composes each tick once and hands the same bytes to
// every output; each output keeps its own consumer's pace, so a slow or
// stuck one skips ticks and never delays the others or grows memory.
class TickOutput : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual std::optional<OutputError> open() = 0;
    virtual void close() = 0;

    // A real-time tick: sent whole, skipped while the consumer still takes
    // the previous one, or put in place of one a held line never took.
    virtual void sendTick(const Tick& tick) = 0;

    // Stamped ticks, many at a time, for an output that paces() the run: it
    // takes every batch, and the run waits until it is idle() for the next.
    // The others get stamped ticks one by one through sendTick().
    virtual void sendStamped(const std::string&) {}
    // What a paced output puts on its line for one stamped tick.
    virtual std::string lineBytes(const Tick& tick) { return JoinTick(tick); }
    virtual bool paces() const { return false; }
    virtual bool idle() const { return true; }

    // Bytes of ours that still wait to leave, for the held-line rule and the
    // drain at the end; 0 for outputs whose consumers come and go (TCP, UDP).
    virtual long long waiting() const = 0;

    long long skippedTicks() const { return m_skipped; }
    // What it is, for status lines: "/dev/ttyUSB0 4800 bps", "tcp 127.0.0.1:10110".
    virtual std::string describe() const = 0;
    // Consumers connected right now (TCP clients); -1 where that means nothing.
    virtual int consumers() const { return -1; }

signals:
    // The output can no longer be used; it is closed by then.
    void failed(const quilvex::OutputError& error);
    // A paced output became idle again.
    void becameIdle();
    // One line for the log: a client came or went, a send error.
    void notice(const QString& line);

protected:
    void countSkipped() { ++m_skipped; }

    // The pace rule for a line: whether this tick goes; `withdraw` drops what
    // a held line still holds before the tick takes its place.
    bool admit(HeldLine& line, long long waiting, const std::function<void()>& withdraw)
    {
        switch (line.fate(waiting, HeldLine::Clock::now())) {
        case TickFate::Skip:
            countSkipped();
            return false;
        case TickFate::Replace:
            countSkipped();
            withdraw();
            return true;
        case TickFate::Send:
            break;
        }
        return true;
    }
    void resetCounts() { m_skipped = 0; }

private:
    long long m_skipped = 0;
};

}  // namespace quilvex
