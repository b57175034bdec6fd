#include "Orbits.hpp"

#include <array>
#include <numbers>

namespace quilvex {
namespace {

using namespace std::chrono;

constexpr double kSiderealDay = 2 * std::numbers::pi / kEarthRate;  // s, what keeps a geosynchronous satellite put
constexpr double kGeoRadius = 42'164'000.0;                        // m
constexpr double kDegreesOfSiderealAtEpoch = kSiderealAtEpoch / kDeg;

// GPS: the baseline 24-slot constellation (IS-GPS / SPS Performance
// Standard 2008, table 3.2-1) at 1993-07-01 00:00 UTC; PRN = slot index + 1.
constexpr double kGpsRadius = 26'559'700.0, kGpsPeriod = 43'082.05;
constexpr NominalOrbit Gps(int prn, double node, double latitude)
{
    return {prn, node, latitude, kGpsRadius, 0, 55, 0, kGpsPeriod};
}
constexpr std::array kGps{
    Gps(1, 272.847, 268.126), Gps(2, 272.847, 161.786), Gps(3, 272.847, 11.676),  Gps(4, 272.847, 41.806),
    Gps(5, 332.847, 80.956),  Gps(6, 332.847, 173.336), Gps(7, 332.847, 309.976), Gps(8, 332.847, 204.376),
    Gps(9, 32.847, 111.876),  Gps(10, 32.847, 11.796),  Gps(11, 32.847, 339.666), Gps(12, 32.847, 241.556),
    Gps(13, 92.847, 135.226), Gps(14, 92.847, 265.446), Gps(15, 92.847, 35.156),  Gps(16, 92.847, 167.356),
    Gps(17, 152.847, 197.046), Gps(18, 152.847, 302.596), Gps(19, 152.847, 66.066), Gps(20, 152.847, 333.686),
    Gps(21, 212.847, 238.886), Gps(22, 212.847, 345.226), Gps(23, 212.847, 105.206), Gps(24, 212.847, 135.346),
};

// A Walker constellation of 24: three planes 120 deg apart, eight slots 45
// deg apart in each, the next plane's slots 15 deg on (phasing 1).
template <typename Slot>
constexpr std::array<NominalOrbit, 24> Walker(Slot slot)
{
    std::array<NominalOrbit, 24> orbits{};
    for (int i = 0; i < 24; ++i)
        orbits[static_cast<std::size_t>(i)] = slot(i / 8, i % 8);
    return orbits;
}

// GLONASS (ICD L1, L2, edition 5.1, 2008, 3.5): 24 slots, 8 per plane,
// 64.8 deg, 11 h 15 min 44 s at 25 510 km; at 1983-01-01 00:00 Moscow time
// plane p's node is at 251 deg 15 min + 120 (p - 1) and slot j's argument of
// latitude 145 deg 26 min 37 s + 15 (27 - 3j + 25 j*), j* = (j - 1) div 8.
constexpr std::array kGlonass = Walker([](int plane, int inPlane) {
    const int j = plane * 8 + inPlane + 1;
    return NominalOrbit{j, 251.25 + 120.0 * plane, 145 + 26 / 60.0 + 37 / 3600.0 + 15.0 * (27 - 3 * j + 25 * plane),
                        25'510'000.0, 0, 64.8, 0, 11 * 3600 + 15 * 60 + 44};
});

// Galileo (OS Service Definition Document, issue 1.1, reference
// constellation): Walker 24/3/1 at 56 deg, 29 600.318 km, 14 h 4 min 42 s;
// at 2010-03-21 00:00 UTC plane A's node is at 25 deg and slot A01's
// argument of latitude 338.333 deg. Slots A01-C08 carry PRNs 1 to 24.
constexpr std::array kGalileo = Walker([](int plane, int inPlane) {
    return NominalOrbit{plane * 8 + inPlane + 1, 25 + 120.0 * plane, 338.333 + 45.0 * inPlane + 15.0 * plane,
                        29'600'318.0, 0, 56, 0, 14 * 3600 + 4 * 60 + 42};
});

// BeiDou-3 (BDS Open Service Performance Standard 3.0, 2.1): 24 MEO in
// Walker 24/3/1 at 55 deg, 21 528 km up (27 906.1 km), 12 h 53 min 24 s;
// 3 IGSO at 55 deg crossing the equator at 118 deg E, 120 deg apart; 3 GEO
// at 80, 110.5 and 140 deg E. The document gives no phasing: plane A's node
// and slot A1 are put at 0 deg at the model's sidereal epoch.
constexpr int kBeiDouMeoPrns[24]{19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                                 32, 33, 34, 35, 36, 37, 41, 42, 43, 44, 45, 46};
constexpr auto kBeiDouMeo = Walker([](int plane, int inPlane) {
    return NominalOrbit{kBeiDouMeoPrns[plane * 8 + inPlane], 120.0 * plane, 45.0 * inPlane + 15.0 * plane,
                        27'906'100.0, 0, 55, 0, 12 * 3600 + 53 * 60 + 24};
});

// A geosynchronous satellite k of three sharing one ground track, 8 h
// apart: at the epoch satellite 0 is at `anomaly`, the node `nodeEast` deg
// east of Greenwich; the others follow in planes 120 deg on.
constexpr NominalOrbit Geosynchronous(int prn, int k, double nodeEast, double anomaly, double e, double i,
                                      double perigee)
{
    return {prn, nodeEast + kDegreesOfSiderealAtEpoch + 120.0 * k, anomaly - 120.0 * k, kGeoRadius, e, i, perigee,
            kSiderealDay};
}
constexpr NominalOrbit Geostationary(int prn, double east)
{
    return {prn, 0, east + kDegreesOfSiderealAtEpoch, kGeoRadius, 0, 0, 0, kSiderealDay};
}

constexpr std::array<NominalOrbit, 30> BeiDou()
{
    std::array<NominalOrbit, 30> orbits{};
    for (std::size_t i = 0; i < kBeiDouMeo.size(); ++i)
        orbits[i] = kBeiDouMeo[i];
    for (int k = 0; k < 3; ++k)
        orbits[24 + static_cast<std::size_t>(k)] = Geosynchronous(38 + k, k, 118, 0, 0, 55, 0);
    orbits[27] = Geostationary(59, 140);
    orbits[28] = Geostationary(60, 80);
    orbits[29] = Geostationary(61, 110.5);
    return orbits;
}
constexpr std::array kBeiDou = BeiDou();

// QZSS (Cabinet Office, IS-QZSS-PNT and the quasi-zenith orbit's published
// nominal elements; JAXA's QZS-1 orbit of 2010): three quasi-zenith orbits,
// geosynchronous, eccentricity 0.075, 41 deg, perigee at 270 deg, their
// common figure-8 ground track centred at 139 deg E (apogee over it, 8 h
// apart): QZS-1R (PRN 196), QZS-2 (194), QZS-4 (195); and QZS-3 (199)
// geostationary at 127 deg E. With perigee at 270 deg the apogee is at
// argument of latitude 90 deg, 90 deg east of the node.
constexpr std::array kQzss{
    Geosynchronous(196, 0, 139 - 90, 180, 0.075, 41, 270),
    Geosynchronous(194, 1, 139 - 90, 180, 0.075, 41, 270),
    Geosynchronous(195, 2, 139 - 90, 180, 0.075, 41, 270),
    Geostationary(199, 127),
};

constexpr auto kGlonassEpoch = sys_days{year{1982} / 12 / 31} + hours{21};  // 1983-01-01 00:00 UTC+3
constexpr sys_days kGalileoEpoch = sys_days{year{2010} / 3 / 21};

}  // namespace

const ConstellationOrbits& OrbitsOf(Constellation system)
{
    static const std::array<ConstellationOrbits, kConstellations.size()> all{{
        {kSiderealEpoch, kGps},
        {kGlonassEpoch, kGlonass},
        {kGalileoEpoch, kGalileo},
        {kSiderealEpoch, kBeiDou},
        {kSiderealEpoch, kQzss},
    }};
    return all[static_cast<std::size_t>(system)];
}

}  // namespace quilvex
