#pragma once

#include "Replay.hpp"

#include <QXmlStreamReader>

#include <optional>
#include <string>
#include <vector>

namespace quilvex {

// The points of a route in a GPX file: those of its first rte; else of its
// first trk, every segment in order; else its wpts in document order.
struct GpxRoute {
    std::vector<GeoPoint> points;
    std::string error;  // the XML's fault, with its line, or what is missing
};
GpxRoute ReadGpxRoute(QIODevice& in);

// A GPX track read point by point as a recorded trip: each trkpt with a
// time is a fix (none where its <fix> says "none").
class GpxTrack {
public:
    explicit GpxTrack(QIODevice& in) : m_xml(&in) {}
    std::optional<RecordedFix> next();
    long long points() const { return m_points; }
    long long untimed() const { return m_untimed; }  // passed over: no time, or no place
    std::string error() const;                        // the XML's fault, if it has one

private:
    QXmlStreamReader m_xml;
    long long m_points = 0, m_untimed = 0;
};

}  // namespace quilvex
