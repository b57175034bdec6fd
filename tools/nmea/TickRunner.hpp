#pragma once

#include "NmeaOptions.hpp"
#include "SecondTimer.hpp"
#include "Tick.hpp"
#include "TickRun.hpp"

#include <QObject>

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

// One quilvex-nmea invocation: when ticks are due (each second, or stamped
// batches as fast as standard output or a port takes them), how many, the
// status line and the exit status. The run does the rest.
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
    TickSentences nextTick();
    bool done() const;
    bool stampsRunOut();
    void realTimeTick();
    void sendStamped();
    void outputFailed(const OutputError& error);
    void finish(int status, std::chrono::milliseconds drainLimit);
    void ended(const std::vector<OutputEnding>& endings);
    void say(const std::string& line) const;
    void showStatus();

    NmeaOptions m_options;
    TickRun m_run;
    bool m_paced = false;  // stamped ticks go as fast as a paced output takes them
    long long m_ticks = 0;
    std::string m_lastStamp;
    SecondTimer m_seconds;
    bool m_finishing = false;
    int m_status = kExitDone;
    bool m_statusLineShown = false;
};

}  // namespace quilvex
