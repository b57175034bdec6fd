#pragma once

#include "Gnss.hpp"
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

// A model of each system's sky, not the real one: what a receiver would see
// if the nominal slots of the constellation were filled and stayed put
// (core/Orbits.cpp has the elements and their sources). For GPS: six
// planes A-F, 55 deg inclination, circular orbits of semi-major axis
// 26 559.7 km, period half a sidereal day (43 082.05 s), no perturbations;
// each slot starts at its published baseline right ascension of the
// ascending node and argument of latitude at 1993-07-01 00:00 UTC. Slots
// A1-A4, B1-B4, ..., F1-F4 carry PRNs 1 to 24. A satellite is in view at or
// above the 5 deg mask, whatever its system.
struct SatelliteInView {
    int prn;           // the system's own number
    double elevation;  // degrees
    double azimuth;    // degrees from true north, clockwise, [0, 360)
};
inline constexpr double kElevationMask = 5.0;

// Every GPS satellite in view of the place at the instant, by PRN: over
// every latitude and a whole day, 5 to 12 of them (8.3 on average).
std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant);
inline constexpr std::size_t kFewestInView = 5;
inline constexpr std::size_t kMostInView = 12;

// Those of any system, in its table's order.
std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant, Constellation system);

// Where each satellite of the system is, Earth-fixed (x to Greenwich on the
// equator, z to the north pole), metres.
struct SatelliteAt {
    int prn;
    double x, y, z;
};
std::vector<SatelliteAt> SatellitePositions(Constellation system, UtcInstant instant);

// A direction in whole degrees, as GSV carries it.
struct SkyDirection {
    int elevation;
    int azimuth;
    int clock = 0;  // which receiver clock its range is measured against: one per time system
};

struct Dop {
    double pdop, hdop, vdop;
};

// The dilution of precision of a position solved from these satellites
// (East-North-Up and a clock term for each clock among them, 0 to
// kClockGroups - 1); nothing for too few or a geometry that fixes nothing.
std::optional<Dop> DilutionOfPrecision(std::span<const SkyDirection> used);

}  // namespace quilvex
