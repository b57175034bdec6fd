#include "SkyView.hpp"

#include "Angles.hpp"
#include "ReceiverChoice.hpp"

#include <QPainter>
#include <QFontMetricsF>

#include <cmath>
#include <numbers>

namespace quilvex {
namespace {

constexpr int kPlotSize = 300;   // the polar plot's square, pixels
constexpr int kBarsHeight = 90;  // signal strengths below it
constexpr int kTextHeight = 80;
constexpr int kMargin = 10;
constexpr int kMarkRadius = 10;
constexpr double kStrongestSnr = 50;  // dB-Hz at a full bar

QString DopText(double value)
{
    return QString::number(value, 'f', 2);
}

}  // namespace

QColor SystemColour(Constellation system)
{
    switch (system) {
    case Constellation::Gps: return QColor(0x1f, 0x6f, 0xd0);
    case Constellation::Glonass: return QColor(0xd0, 0x30, 0x30);
    case Constellation::Galileo: return QColor(0x20, 0x96, 0x40);
    case Constellation::BeiDou: return QColor(0xe0, 0x80, 0x10);
    case Constellation::Qzss: return QColor(0x8a, 0x3f, 0xc0);
    }
    return Qt::black;
}

SkyView::SkyView(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmSky");
    setWindowTitle(QStringLiteral("天空図 — Quilvex"));
    setMinimumSize(kPlotSize + 2 * kMargin, kPlotSize + kBarsHeight + kTextHeight + 4 * kMargin);
    Summarise();
}

void SkyView::ShowTick(const Tick& tick, bool sendsSky)
{
    m_sky = tick.sky;
    m_fix = tick.fix;
    m_sendsSky = sendsSky;
    m_shown = true;
    Summarise();
    update();
}

void SkyView::Summarise()
{
    QStringList lines;
    if (!m_shown) {
        lines << QStringLiteral("送信中の天空を表示します。Start を押してください。");
    } else if (!m_sendsSky) {
        lines << QStringLiteral("従来の形式は衛星の情報（GSV）を送りません。");
    } else {
        lines << (m_fix ? QStringLiteral("測位中") : QStringLiteral("測位なし（衛星は灰色）"));
        QStringList counts;
        for (Constellation system : kConstellations) {
            int inView = 0, used = 0;
            for (const TrackedSatellite& s : m_sky.satellites) {
                inView += s.system == system;
                used += s.system == system && s.used;
            }
            if (inView > 0)
                counts << QStringLiteral("%1 %2/%3").arg(SystemName(system)).arg(inView).arg(used);
        }
        lines << QStringLiteral("捕捉/使用: ") + (counts.isEmpty() ? QStringLiteral("なし") : counts.join(QStringLiteral("、")));
        lines << (m_sky.dop ? QStringLiteral("PDOP %1  HDOP %2  VDOP %3")
                                  .arg(DopText(m_sky.dop->pdop), DopText(m_sky.dop->hdop), DopText(m_sky.dop->vdop))
                            : QStringLiteral("DOP なし"));
    }
    m_summary = lines.join('\n');
    setAccessibleDescription(m_summary);
}

void SkyView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().window());
    const int plot = std::min(width() - 2 * kMargin, height() - kBarsHeight - kTextHeight - 4 * kMargin);
    const QPointF centre(width() / 2.0, kMargin + plot / 2.0);
    const double radius = plot / 2.0 - 14;

    // Rings at 0, 30 and 60 degrees of elevation; north up, east right.
    p.setPen(QPen(palette().mid().color(), 1));
    p.setBrush(Qt::NoBrush);
    for (int elevation : {0, 30, 60})
        p.drawEllipse(centre, radius * (90 - elevation) / 90, radius * (90 - elevation) / 90);
    p.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
    p.setPen(palette().text().color());
    const QString compass[] = {QStringLiteral("北"), QStringLiteral("東"), QStringLiteral("南"), QStringLiteral("西")};
    for (int i = 0; i < 4; ++i) {
        const double a = i * std::numbers::pi / 2;
        const QPointF at = centre + QPointF(std::sin(a), -std::cos(a)) * (radius + 8);
        p.drawText(QRectF(at.x() - 10, at.y() - 8, 20, 16), Qt::AlignCenter, compass[i]);
    }

    const bool grey = !m_fix;
    const auto colourOf = [grey](const TrackedSatellite& s) { return grey ? QColor(Qt::gray) : SystemColour(s.system); };
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    p.setFont(small);
    for (const TrackedSatellite& s : m_sky.satellites) {
        const double r = radius * (90 - std::clamp(s.elevation, 0.0, 90.0)) / 90;
        const double a = s.azimuth * kDeg;
        const QPointF at = centre + QPointF(std::sin(a), -std::cos(a)) * r;
        const QColor colour = colourOf(s);
        p.setPen(QPen(colour, 2));
        p.setBrush(s.used ? QBrush(colour) : Qt::NoBrush);
        p.drawEllipse(at, kMarkRadius, kMarkRadius);
        p.setPen(s.used ? Qt::white : colour);
        p.drawText(QRectF(at.x() - kMarkRadius, at.y() - kMarkRadius, 2 * kMarkRadius, 2 * kMarkRadius),
                   Qt::AlignCenter, QString::number(s.prn));
    }

    // Signal strengths, one bar per satellite in the order sent.
    // Numbers too wide for their bars go on two staggered rows.
    const QRectF bars(kMargin, kMargin * 2 + plot, width() - 2 * kMargin, kBarsHeight);
    const std::size_t n = m_sky.satellites.size();
    const double slot = n ? std::min(24.0, bars.width() / double(n)) : 0;
    const bool staggered = slot < QFontMetricsF(small).horizontalAdvance("000");
    const double numbers = staggered ? 26 : 14;
    p.setPen(palette().mid().color());
    p.drawLine(bars.bottomLeft() - QPointF(0, numbers), bars.bottomRight() - QPointF(0, numbers));
    for (std::size_t i = 0; i < n; ++i) {
        const TrackedSatellite& s = m_sky.satellites[i];
        const double h = (bars.height() - numbers - 2) * std::clamp(s.snr / kStrongestSnr, 0.0, 1.0);
        const QRectF bar(bars.left() + slot * double(i) + 1, bars.bottom() - numbers - h, std::max(1.0, slot - 2), h);
        const QColor colour = colourOf(s);
        p.setPen(QPen(colour, 1));
        p.setBrush(s.used ? QBrush(colour) : QBrush(colour.lighter(170)));
        p.drawRect(bar);
        p.setPen(palette().text().color());
        const double row = staggered && i % 2 ? 12 : 0;
        p.drawText(QRectF(bar.center().x() - 15, bars.bottom() - numbers + 1 + row, 30, 13), Qt::AlignCenter,
                   QString::number(s.prn));
    }

    p.setFont(font());
    p.setPen(palette().text().color());
    p.drawText(QRectF(kMargin, bars.bottom() + kMargin, width() - 2 * kMargin, kTextHeight),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_summary);
}

}  // namespace quilvex
