#pragma once

#include "Sky.hpp"

#include <vector>

namespace quilvex {

// Points driven in order along rhumb legs on the WGS84 ellipsoid; looping,
// from the last back to the first and round again.
class Route {
public:
    // At least one point.
    Route(std::vector<GeoPoint> points, bool loop);

    struct Position {
        GeoPoint place;
        double courseDeg;  // the leg's bearing; at a point, the next leg's
        bool arrived;      // at the last point, to stay (looping, only on a route of no length)
    };
    // Where the receiver is after travelling this far from the first point.
    Position at(double metres) const;

    const std::vector<GeoPoint>& points() const { return m_points; }
    bool loops() const { return m_loop; }
    double length() const { return m_ends.empty() ? 0 : m_ends.back(); }  // one round

private:
    std::vector<GeoPoint> m_points;
    bool m_loop;
    std::vector<double> m_ends;      // metres travelled at the end of each leg
    std::vector<double> m_bearings;  // each leg's true course
};

}  // namespace quilvex
