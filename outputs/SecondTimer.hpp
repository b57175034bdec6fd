#pragma once

#include "TickSchedule.hpp"

#include <QObject>
#include <QTimer>

namespace quilvex {

// Fires tick() at each whole UTC second, on this thread's event loop. It
// waits on a monotonic timer re-armed from the clock, so a clock step
// delays nothing by more than about a second and never stalls the loop.
class SecondTimer : public QObject {
    Q_OBJECT

public:
    explicit SecondTimer(QObject* parent = nullptr);

    void start();  // the first tick comes at the next whole second
    void stop();
    bool isActive() const { return m_timer.isActive(); }

signals:
    void tick();

private:
    void wake();

    QTimer m_timer;
    TickSchedule m_schedule;
};

}  // namespace quilvex
