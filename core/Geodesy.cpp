#include "Geodesy.hpp"

#include <GeographicLib/Ellipsoid.hpp>
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <GeographicLib/Rhumb.hpp>

#include <algorithm>
#include <cmath>

namespace quilvex {
namespace {

using GeographicLib::Ellipsoid;
using GeographicLib::Geodesic;
using GeographicLib::Rhumb;

// Within this of 90 degrees a rectifying latitude is the pole, where a
// longitude means nothing.
constexpr double kPoleLimit = 90 - 1e-10;

// [0, 360)
double Bearing(double azimuth)
{
    const double deg = std::fmod(azimuth, 360.0);
    return deg < 0 ? deg + 360 : deg;
}

// [-180, 180)
double Longitude(double lon)
{
    const double deg = std::remainder(lon, 360.0);
    return deg >= 180 ? deg - 360 : deg;
}

std::optional<double> AltitudeBetween(const GeoPoint& a, const GeoPoint& b, double fraction)
{
    if (a.altitude && b.altitude)
        return *a.altitude + fraction * (*b.altitude - *a.altitude);
    return a.altitude;
}

// Past a pole the track goes on down the far side, its course turned round.
double TurnedRound(double courseDeg)
{
    return courseDeg <= 180 ? 180 - courseDeg : 540 - courseDeg;
}

}  // namespace

Leg RhumbBetween(const GeoPoint& a, const GeoPoint& b)
{
    double metres = 0, azimuth = 0;
    Rhumb::WGS84().Inverse(a.lat, a.lon, b.lat, b.lon, metres, azimuth);
    return {metres, Bearing(azimuth)};
}

GeoPoint RhumbPointAt(const GeoPoint& a, const GeoPoint& b, double metres)
{
    if (!(metres > 0))
        return a;
    const Leg leg = RhumbBetween(a, b);
    GeoPoint p{0, 0, AltitudeBetween(a, b, leg.metres > 0 ? metres / leg.metres : 0)};
    Rhumb::WGS84().Direct(a.lat, a.lon, leg.bearingDeg, metres, p.lat, p.lon);
    p.lon = Longitude(p.lon);
    return p;
}

// In closed form, so a tick's cost does not depend on where it is: the
// rectifying latitude (the meridian arc from the equator, in degrees of a
// quarter meridian) grows linearly along a rhumb line, so it is first moved
// as if the poles were no end, then folded back once for each pole passed.
// A move that ends on a pole has not passed it, and one that leaves it
// where it was at a pole (east or west) goes nowhere.
Heading AlongRhumb(const GeoPoint& p, double courseDeg, double metres)
{
    const Ellipsoid& earth = Ellipsoid::WGS84();
    double mu = earth.RectifyingLatitude(std::clamp(p.lat, -90.0, 90.0));
    if (std::abs(mu) >= kPoleLimit)
        mu = std::copysign(90.0, mu);
    const double north = GeographicLib::Math::cosd(courseDeg), degreesPerMetre = 90 / earth.QuarterMeridian();
    const double unfolded = mu + metres * north * degreesPerMetre;
    const double turns = (unfolded + 90) / 180;  // 0 to 1 from the south pole to the north one
    const double poles = turns > 1 ? std::ceil(turns) - 1 : turns < 0 ? std::floor(turns) : 0;
    const bool odd = std::fmod(poles, 2) != 0;
    const double mu2 = std::clamp(odd ? poles * 180 - unfolded : unfolded - poles * 180, -90.0, 90.0);
    const bool meridian = north == 1 || north == -1;

    Heading h{{earth.InverseRectifyingLatitude(mu2), p.lon, p.altitude}, courseDeg};
    if (std::abs(mu2) >= kPoleLimit) {
        h.place.lat = std::copysign(90.0, mu2);
    } else if (poles == 0 && !meridian) {
        Rhumb::WGS84().Direct(p.lat, p.lon, courseDeg, metres, h.place.lat, h.place.lon);
    }
    if (odd) {
        h.place.lon += 180;
        h.courseDeg = TurnedRound(courseDeg);
    }
    if (poles != 0 && !meridian && std::abs(mu2) < kPoleLimit) {
        // From the last pole passed; whole circuits come back to the same meridian.
        const double lastPole = odd == (poles > 0) ? 90 : -90;
        const double fromPole = (mu2 - lastPole) / (GeographicLib::Math::cosd(h.courseDeg) * degreesPerMetre);
        Rhumb::WGS84().Direct(lastPole, h.place.lon, h.courseDeg, fromPole, h.place.lat, h.place.lon);
    }
    h.place.lon = Longitude(h.place.lon);
    return h;
}

Leg GeodesicBetween(const GeoPoint& a, const GeoPoint& b)
{
    double metres = 0, azimuth1 = 0, azimuth2 = 0;
    Geodesic::WGS84().Inverse(a.lat, a.lon, b.lat, b.lon, metres, azimuth1, azimuth2);
    return {metres, Bearing(azimuth1)};
}

Heading GeodesicPointAt(const GeoPoint& a, const GeoPoint& b, double fraction)
{
    const GeographicLib::GeodesicLine line = Geodesic::WGS84().InverseLine(a.lat, a.lon, b.lat, b.lon);
    const double metres = line.Distance() * std::clamp(fraction, 0.0, 1.0);
    Heading h{{0, 0, AltitudeBetween(a, b, fraction)}, 0};
    double azimuth = 0;
    line.Position(metres, h.place.lat, h.place.lon, azimuth);
    h.courseDeg = Bearing(azimuth);
    h.place.lon = Longitude(h.place.lon);
    // The ends exactly as given.
    if (!(fraction > 0))
        h.place = a;
    else if (fraction >= 1)
        h.place = b;
    return h;
}

std::array<double, 3> EarthCentred(const GeoPoint& p)
{
    std::array<double, 3> xyz{};
    GeographicLib::Geocentric::WGS84().Forward(p.lat, p.lon, p.altitude.value_or(0), xyz[0], xyz[1], xyz[2]);
    return xyz;
}

}  // namespace quilvex
