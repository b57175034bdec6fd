#pragma once

#include "TickSchedule.hpp"

#include <QObject>
#include <QTimer>

namespace quilvex {

// Fires tick() at each whole UTC second, or at each epoch of a finer grid
// (setRate), on this thread's event loop. It waits on a monotonic timer
// re-armed from the clock, so a clock step delays nothing by more than about
// a second and never stalls the loop.
class SecondTimer : public QObject {
    Q_OBJECT

public:
    explicit SecondTimer(QObject* parent = nullptr);
    ~SecondTimer() override;

    void start();  // the first tick comes at the next whole second
    // Ticks a second, 1 (the default) or more, dividing a second into whole
    // milliseconds; takes effect at start().
    void setRate(int perSecond) { m_perSecond = perSecond; }
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // How the last tick went: its stamp and epoch, the two clocks, how late, epochs skipped.
    const TickSchedule::Timing& timing() const { return m_timing; }
    long long skippedTicks() const { return m_skipped; }

    // The tick about to go, as coming() announces it: its epoch, and the
    // wall clock minus the monotonic one at the wake-up before it.
    const TickSchedule::Timing& upcoming() const { return m_upcoming; }

signals:
    // A few milliseconds before tick(), on the same call: what the tick
    // carries can be made then, so it leaves at its instant.
    void coming();
    void tick();

private:
    void wake();

    QTimer m_timer;
    TickSchedule m_schedule;
    TickSchedule::Timing m_timing, m_upcoming;
    long long m_skipped = 0;
    int m_perSecond = 1;
    bool m_finePeriod = false;  // the system's 1 ms timer period held (Windows)
};

}  // namespace quilvex
