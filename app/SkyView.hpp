#pragma once

#include "Tick.hpp"

#include <QWidget>

namespace quilvex {

// 天空図: what the last tick sent, drawn from its typed values (never from
// its sentences): a polar plot of azimuth and elevation, each satellite
// numbered and coloured by system and filled when used, signal strengths
// as bars, the DOPs and the counts per system.
class SkyView : public QWidget {
    Q_OBJECT

public:
    explicit SkyView(QWidget* parent = nullptr);

    // The tick just sent; `sendsSky` is false for the classic format.
    void ShowTick(const Tick& tick, bool sendsSky);
    // What the view says in words: the state, the counts and the DOPs.
    QString summary() const { return m_summary; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Summarise();

    TickSky m_sky;
    bool m_fix = false;
    bool m_sendsSky = false;
    bool m_shown = false;  // a tick came since the view opened
    QString m_summary;
};

QColor SystemColour(Constellation system);

}  // namespace quilvex
