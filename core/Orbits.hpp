#pragma once

#include "Angles.hpp"
#include "Gnss.hpp"
#include "modGeneral.hpp"

#include <span>

namespace quilvex {

// One satellite's nominal orbit: Keplerian elements at its system's epoch,
// kept unperturbed for ever, as the systems' public documents give them.
struct NominalOrbit {
    int prn;               // the system's own number: PRN, or GLONASS slot
    double node;           // right ascension of the ascending node at the epoch, degrees
    double anomaly;        // at the epoch, degrees: argument of latitude if circular, else mean anomaly
    double semiMajorAxis;  // m
    double eccentricity;
    double inclination;    // degrees
    double perigee;        // argument of perigee, degrees (0 if circular)
    double period;         // s
};

struct ConstellationOrbits {
    UtcInstant epoch;
    std::span<const NominalOrbit> satellites;
};

// The modelled constellation of a system, in its own numbering order.
const ConstellationOrbits& OrbitsOf(Constellation system);

// The Earth's turn (Greenwich sidereal angle), radians in [0, 2 pi) give or
// take a turn: the model's one sidereal clock, from 1993-07-01 00:00 UTC
// at 18 h 36 min 14.4 s and 7.2921151467e-5 rad/s.
inline constexpr double kEarthRate = 7.2921151467e-5;
inline constexpr auto kSiderealEpoch = std::chrono::sys_days{std::chrono::year{1993} / 7 / 1};
inline constexpr double kSiderealAtEpoch = (18 + 36 / 60.0 + 14.4 / 3600) * 15 * kDeg;

}  // namespace quilvex
