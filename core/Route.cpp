#include "Route.hpp"

#include "Geodesy.hpp"

#include <algorithm>
#include <cmath>

namespace quilvex {

Route::Route(std::vector<GeoPoint> points, bool loop) : m_points(std::move(points)), m_loop(loop)
{
    const std::size_t legs = m_points.size() < 2 ? 0 : m_loop ? m_points.size() : m_points.size() - 1;
    double travelled = 0;
    for (std::size_t i = 0; i < legs; ++i) {
        const Leg leg = RhumbBetween(m_points[i], m_points[(i + 1) % m_points.size()]);
        m_ends.push_back(travelled += leg.metres);
        m_bearings.push_back(leg.bearingDeg);
    }
}

Route::Position Route::at(double metres) const
{
    if (m_points.empty())
        return {{}, 0, true};
    // A route with no length stays at its first point, looping or not.
    if (!(length() > 0))
        return {m_points.front(), 0, true};
    metres = m_loop ? std::fmod(std::max(metres, 0.0), length()) : std::max(metres, 0.0);
    // The leg being travelled: the first that ends beyond this point, so
    // legs of no length are passed and a point reached turns onto the next.
    const auto end = std::upper_bound(m_ends.begin(), m_ends.end(), metres);
    if (end == m_ends.end()) {
        const std::size_t last = m_ends.size() - 1;
        return {m_points.back(), m_bearings[last], true};
    }
    const std::size_t leg = static_cast<std::size_t>(end - m_ends.begin());
    const double from = leg == 0 ? 0 : m_ends[leg - 1];
    // A leg starts exactly at its point, so the one before ends there.
    const GeoPoint& a = m_points[leg];
    return {RhumbPointAt(a, m_points[(leg + 1) % m_points.size()], metres - from), m_bearings[leg], false};
}

}  // namespace quilvex
