#pragma once

#include "Sky.hpp"

namespace quilvex {

// Every motion is on a sphere of the Earth's mean radius.
inline constexpr double kMeanEarthRadius = 6'371'008.8;  // m
inline constexpr double kKnot = 1852.0 / 3600;           // m/s

// A rhumb line (constant true course) from one place to another.
struct RhumbLeg {
    double metres;
    double bearingDeg;  // true, [0, 360)
};

// The leg from a to b; across the antimeridian it takes the short way.
RhumbLeg RhumbBetween(const GeoPoint& a, const GeoPoint& b);

// The place a fraction (0 to 1) of the way from a to b along that leg.
// Altitude goes linearly where both ends have one, else it is a's.
GeoPoint RhumbPointAt(const GeoPoint& a, const GeoPoint& b, double fraction);

}  // namespace quilvex
