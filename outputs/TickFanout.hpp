#pragma once

#include "OutputError.hpp"
#include "Tick.hpp"
#include "TickOutput.hpp"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace quilvex {

// What one output was left with when a run ended.
struct OutputEnding {
    std::string what;       // the output's describe()
    long long heldBytes;    // bytes a held line never took
    long long skippedTicks;
};

// One run of ticks over a set of outputs, for the window and the tool alike:
// each tick, composed once by the front end, goes to every output; skips are
// counted per output; at the end what waits is drained as long as it moves,
// then every output is closed and the ending reported. Failures of any
// output come back through the one failed() signal.
class TickFanout : public QObject {
    Q_OBJECT

public:
    // The outputs become children of the run (found by their object names).
    explicit TickFanout(std::vector<std::unique_ptr<TickOutput>> outputs, QObject* parent = nullptr);
    ~TickFanout() override;

    // Opens every output in order; the first refusal closes the others.
    std::optional<OutputError> open();
    void close();

    // A real-time tick to every output.
    void send(const Tick& tick);
    // Stamped ticks: the whole batch to each output that paces the run, and
    // each tick in turn to the others.
    void sendStamped(const std::vector<Tick>& ticks);
    bool paces() const;        // some output takes stamped ticks at its own pace
    bool pacedIdle() const;    // every such output has taken the last batch

    long long skippedTicks() const;
    int consumers() const;     // TCP clients now; -1 when no output counts any
    std::string describe() const;  // "COM3 (/dev/ttyS2) 4800 bps 8N1; tcp 127.0.0.1:10110"

    // Drains for at most `limit`, then closes and emits finished(). A second
    // call cuts the drain short.
    void finish(std::chrono::milliseconds limit);

signals:
    void failed(const quilvex::OutputError& error);
    void notice(const QString& line);
    void becameIdle();
    void finished(const std::vector<quilvex::OutputEnding>& endings);

private:
    void drainStep();

    std::vector<TickOutput*> m_outputs;
    QTimer m_drain;
    QElapsedTimer m_drainClock;
    std::chrono::milliseconds m_drainLimit{0};
    long long m_lastWaiting = -1;
    qint64 m_lastProgressMs = 0;
    bool m_finishing = false;
};

}  // namespace quilvex
