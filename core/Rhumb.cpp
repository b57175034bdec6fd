#include "Rhumb.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quilvex {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
// Below this a leg runs east or west and the isometric latitude cannot
// scale it.
constexpr double kFlat = 1e-12;

// The isometric latitude, kept finite at the poles.
double Isometric(double phi)
{
    const double limit = kPi / 2 - kFlat;
    return std::log(std::tan(kPi / 4 + std::clamp(phi, -limit, limit) / 2));
}

struct Deltas {
    double phi, lambda, psi;
};

// Longitude the short way, in (-pi, pi].
Deltas DeltasOf(const GeoPoint& a, const GeoPoint& b)
{
    const double phi1 = a.lat * kDeg, phi2 = b.lat * kDeg;
    return {phi2 - phi1, std::remainder((b.lon - a.lon) * kDeg, 2 * kPi), Isometric(phi2) - Isometric(phi1)};
}

}  // namespace

RhumbLeg RhumbBetween(const GeoPoint& a, const GeoPoint& b)
{
    const Deltas d = DeltasOf(a, b);
    // The stretch of a degree of longitude, here or along the leg.
    const double q = std::abs(d.psi) > kFlat ? d.phi / d.psi : std::cos(a.lat * kDeg);
    const double bearing = std::atan2(d.lambda, d.psi) / kDeg;
    return {std::hypot(d.phi, q * d.lambda) * kMeanEarthRadius, bearing < 0 ? bearing + 360 : bearing};
}

GeoPoint RhumbPointAt(const GeoPoint& a, const GeoPoint& b, double fraction)
{
    const Deltas d = DeltasOf(a, b);
    const double phi = a.lat * kDeg + fraction * d.phi;
    // Longitude grows with the isometric latitude along a rhumb line.
    const double along = std::abs(d.psi) > kFlat ? (Isometric(phi) - Isometric(a.lat * kDeg)) / d.psi : fraction;
    const double lon = std::remainder(a.lon + along * d.lambda / kDeg, 360.0);  // [-180, 180]
    GeoPoint p{phi / kDeg, lon >= 180 ? lon - 360 : lon, a.altitude};
    if (a.altitude && b.altitude)
        p.altitude = *a.altitude + fraction * (*b.altitude - *a.altitude);
    return p;
}

}  // namespace quilvex
