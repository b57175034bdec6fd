#pragma once

#include "NmeaOptions.hpp"
#include "RealTimeEpochs.hpp"
#include "SecondTimer.hpp"
#include "Tick.hpp"
#include "TickFanout.hpp"
#include "TimeTexts.hpp"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

namespace quilvex {

// One quilvex-nmea invocation: when ticks are due (each second, or stamped
// batches as fast as standard output or a port takes them), how many, the
// status line and the exit status. Its TickFanout does the rest.
class NmeaInvocation : public QObject {
    Q_OBJECT

public:
    NmeaInvocation(NmeaOptions options, std::vector<std::unique_ptr<TickOutput>> outputs,
                   QObject* parent = nullptr);
    ~NmeaInvocation() override;

    void start();

public slots:
    void stop();  // at a stop signal; a second one cuts the drain short
    void toggleFix();  // SIGUSR1

private:
    // A tick due, and the schedule as it stands once the tick is taken.
    struct Due {
        std::chrono::milliseconds sinceFirst;  // the epoch, from the first tick's
        UtcInstant instant;
        bool firstOfSecond;  // carries ZDA and the sky
        std::chrono::nanoseconds firstMonotonic;
        RealTimeEpochs realTime;
        long long startGaps;
    };
    Due dueAt(const TickSchedule::Timing& timing) const;
    std::optional<Tick> takeDueTick(const TickSchedule::Timing& timing);
    Tick takeTick(const Due& due);
    void composeAhead();
    bool done() const;
    void endStamps();
    void endReplay();
    void replayFailed(const FileProblem& problem);
    std::chrono::milliseconds period() const { return std::chrono::milliseconds(1000 / m_options.hz); }
    std::string runSecond(long long second) const;
    std::string lastStamp() const;
    void realTimeTick();
    void sendStamped();
    void outputFailed(const OutputError& error);
    void finish(ExitStatus status, std::chrono::milliseconds drainLimit);
    void ended(const std::vector<OutputEnding>& endings);
    void say(const std::string& line);
    void sayHeldNotices();
    void showStatus();
    std::string statusErased() const;
    void reportTiming();
    long long skipped() const;

    NmeaOptions m_options;
    Receiver m_receiver;  // as the last tick had it
    bool m_hadFix = true;
    std::chrono::nanoseconds m_firstMonotonic{0};  // the first tick's, with --start
    long long m_startGaps = 0;                     // epochs --start stamps skipped, the last tick's
    RealTimeEpochs m_realTime;                     // without --at or --start
    long long m_startSkipped = 0;
    TickFanout m_fanout;
    bool m_paced = false;  // stamped ticks go as fast as a paced output takes them
    long long m_ticks = 0;
    TimeTexts m_lastTime;  // the last tick's
    SecondTimer m_seconds;
    bool m_composedAhead = false;  // above 1 Hz, before the tick is due
    std::optional<Tick> m_ahead;
    bool m_finishing = false;
    bool m_replayBegun = false, m_replayReady = false;
    ExitStatus m_status = kExitDone;
    // Ticks that may show on the terminal standard error is on (that very
    // terminal, or a pipe whose reader may print there): no status line, and
    // notices wait until the ticks handed over are written.
    bool m_sharedTerminal = false;
    bool m_statusLine = false;
    bool m_statusLineShown = false;
    std::size_t m_statusWidth = 0;  // blanked over where escape codes are not taken
    std::vector<std::string> m_heldNotices;
    QElapsedTimer m_clock;  // since the outputs opened
    bool m_timingDebug = false;
    long long m_unsaidSkips = 0;  // epochs without a tick not yet told
    qint64 m_lastSkipNoticeMs = -1;
};

}  // namespace quilvex
