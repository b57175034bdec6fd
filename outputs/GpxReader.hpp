#pragma once

#include "Replay.hpp"
#include "XmlTokens.hpp"

#include <optional>
#include <string>
#include <vector>

namespace quilvex {

// The most points a route file may hold (text lines, or the points a GPX
// file's reader holds at once): memory stays bounded whatever the file.
inline constexpr std::size_t kMostRoutePoints = 500000;

// The points of a route in a GPX file: those of its first rte with points;
// else of its first trk with points, every segment in order; else its wpts
// in document order. One of those without a possible lat, lon or ele
// refuses the file, as a text route's line does.
struct GpxRoute {
    std::vector<GeoPoint> points;
    std::string error;  // the XML's fault, with its line, the point that cannot be, or what is missing
};
GpxRoute ReadGpxRoute(QIODevice& in);

// A GPX track read point by point as a recorded trip: each trkpt with a
// time is a fix (none where its <fix> says "none").
class GpxTrack {
public:
    explicit GpxTrack(QIODevice& in) : m_xml(in) {}
    std::optional<RecordedFix> next();
    long long points() const { return m_points; }
    long long untimed() const { return m_untimed; }  // passed over: no time, or no place
    std::string error() const { return m_xml.error(); }  // the XML's fault, if it has one

private:
    XmlTokens m_xml;
    long long m_points = 0, m_untimed = 0;
};

}  // namespace quilvex
