#pragma once

#include "NmeaOptions.hpp"
#include "SecondTimer.hpp"
#include "Tick.hpp"
#include "TickOutput.hpp"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace quilvex {

// Exit statuses of quilvex-nmea.
enum ExitStatus {
    kExitDone = 0,         // count reached, or stopped by a signal, every byte out
    kExitOutputFailed = 1, // an output could not be opened, was lost, or refused a write
    kExitUsage = 2,        // a bad command line
    kExitHeld = 3,         // ended with bytes that a held line never took
};

// Runs the ticks of one quilvex-nmea invocation: composes each tick once,
// hands it to every output, and quits the application with the exit status.
class TickRunner : public QObject {
    Q_OBJECT

public:
    TickRunner(NmeaOptions options, std::vector<std::unique_ptr<TickOutput>> outputs,
               QObject* parent = nullptr);
    ~TickRunner() override;

    void start();

public slots:
    void stop();  // at a stop signal; a second one cuts the drain short

private:
    Tick nextTick();
    bool done() const;
    bool pacedIdle() const;
    bool stampsRunOut();
    void realTimeTick();
    void sendStamped();
    void outputFailed(const LinkError& error);
    void finish(int status, std::chrono::milliseconds drainLimit);
    void drainStep();
    void end();
    void say(const std::string& line) const;
    void showStatus();

    NmeaOptions m_options;
    std::vector<std::unique_ptr<TickOutput>> m_outputs;
    bool m_paced = false;  // stamped ticks go as fast as a paced output takes them
    long long m_ticks = 0;
    std::string m_lastStamp;
    SecondTimer m_seconds;
    QTimer m_drain;
    QElapsedTimer m_drainClock;
    std::chrono::milliseconds m_drainLimit{0};
    long long m_lastWaiting = 0;
    qint64 m_lastProgressMs = 0;
    bool m_finishing = false;
    int m_status = kExitDone;
    bool m_statusLineShown = false;
};

}  // namespace quilvex
