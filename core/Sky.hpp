#pragma once

#include "modGeneral.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace quilvex {

// A place on WGS-84: geodetic degrees, south and west negative; metres above
// mean sea level, when one was given (with no geoid model, also the height
// above the ellipsoid).
struct GeoPoint {
    double lat = 0;
    double lon = 0;
    std::optional<double> altitude{};
};

// A model of the GPS sky, not the real one: it is what a receiver would see
// if the 24 baseline slots of the constellation were filled and stayed put.
// Six planes A-F, 55 deg inclination, circular orbits of semi-major axis
// 26 559.7 km, period half a sidereal day (43 082.05 s), no perturbations.
// Each slot starts at its published baseline right ascension of the
// ascending node and argument of latitude at 1993-07-01 00:00 UTC, when the
// Greenwich sidereal angle was 18 h 36 min 14.4 s; the Earth turns at
// 7.2921151467e-5 rad/s. Slots A1-A4, B1-B4, ..., F1-F4 carry PRNs 1 to 24.
// A satellite is in view at or above the 5 deg mask.
struct SatelliteInView {
    int prn;
    double elevation;  // degrees
    double azimuth;    // degrees from true north, clockwise, [0, 360)
};
inline constexpr double kElevationMask = 5.0;

// Every satellite in view of the place at the instant, by PRN: over every
// latitude and a whole day, 5 to 12 of them (8.3 on average).
std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant);
inline constexpr std::size_t kFewestInView = 5;
inline constexpr std::size_t kMostInView = 12;

// A direction in whole degrees, as GSV carries it.
struct SkyDirection {
    int elevation;
    int azimuth;
};

struct Dop {
    double pdop, hdop, vdop;
};

// The dilution of precision of a position solved from these satellites
// (East-North-Up, a clock term); nothing for fewer than four or a geometry
// that fixes nothing.
std::optional<Dop> DilutionOfPrecision(std::span<const SkyDirection> used);

}  // namespace quilvex
