#pragma once

#include "NmeaOptions.hpp"
#include "SerialLink.hpp"
#include "Tick.hpp"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

namespace quilvex {

// Runs the ticks of one quilvex-nmea invocation, to standard output or a
// port, and quits the application with the exit code when done.
class TickRunner : public QObject {
    Q_OBJECT

public:
    explicit TickRunner(NmeaOptions options, QObject* parent = nullptr);

    // Opens the port where there is one and sends the first tick.
    void start();

public slots:
    void stop();  // at a stop signal: ends cleanly, exit 0

private:
    TickSentences nextTick();
    bool done() const;
    void armForNextSecond();
    void realTimeTick();
    void writeBatchToStandardOutput();
    void sendNextStamped();
    void linkFailed(const LinkError& error);
    void finish(int exitCode);

    NmeaOptions m_options;
    long long m_ticks = 0;
    QTimer m_timer;
    std::chrono::system_clock::time_point m_nextSecond;
    std::unique_ptr<SerialLink> m_link;
    bool m_finished = false;
};

}  // namespace quilvex
