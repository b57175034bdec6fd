#pragma once

#include "Sky.hpp"

#include <array>

namespace quilvex {

// Every length, course and place here is on the WGS84 ellipsoid, solved by
// GeographicLib: rhumb lines (constant true course) for the receiver's
// motion and route legs, geodesics (the shortest way) between logged fixes.

inline constexpr double kKnot = 1852.0 / 3600;  // m/s

struct Leg {
    double metres;
    double bearingDeg;  // true, [0, 360)
};

// The rhumb line from a to b; across the antimeridian it takes the short way.
Leg RhumbBetween(const GeoPoint& a, const GeoPoint& b);

// The place this far from a along the rhumb line to b: a itself at 0.
// Altitude goes linearly where both ends have one, else it is a's.
GeoPoint RhumbPointAt(const GeoPoint& a, const GeoPoint& b, double metres);

struct Heading {
    GeoPoint place;
    double courseDeg;  // true, [0, 360)
};

// Along the rhumb line from p on this course for this distance. A rhumb line
// that is not east or west spirals into a pole after the meridian arc to it
// over the cosine of its course; there it goes on down the far side, on the
// meridian opposite, its course turned round (45 becomes 135, 0 becomes
// 180). At a pole east or west goes nowhere, and the longitude is kept.
Heading AlongRhumb(const GeoPoint& p, double courseDeg, double metres);

// The geodesic from a to b, and the place a fraction (0 to 1) of the way,
// exactly a at 0 and b at 1, with the course there.
Leg GeodesicBetween(const GeoPoint& a, const GeoPoint& b);
Heading GeodesicPointAt(const GeoPoint& a, const GeoPoint& b, double fraction);

// Earth-centred, Earth-fixed metres: X to 0 E on the equator, Z to the north
// pole; the altitude taken as the height above the ellipsoid.
std::array<double, 3> EarthCentred(const GeoPoint& p);

}  // namespace quilvex
