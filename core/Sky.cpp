#include "Sky.hpp"

#include "Angles.hpp"
#include "Geodesy.hpp"
#include "Orbits.hpp"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace quilvex {
namespace {

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double SecondsSince(UtcInstant instant, UtcInstant epoch)
{
    return static_cast<double>((instant - epoch).count()) / 1000;
}

// Eccentric anomaly from the mean one (Newton: e is small, a few steps do).
double Eccentric(double mean, double e)
{
    double anomaly = mean;
    for (int i = 0; i < 6; ++i)
        anomaly -= (anomaly - e * std::sin(anomaly) - mean) / (1 - e * std::cos(anomaly));
    return anomaly;
}

// Each satellite in the Earth-fixed frame: the orbit placed from its node,
// the node turned back by the Earth's turn since the sidereal epoch.
template <typename Use>
void ForEachSatellite(Constellation system, UtcInstant instant, Use use)
{
    const ConstellationOrbits& orbits = OrbitsOf(system);
    const double seconds = SecondsSince(instant, orbits.epoch);
    const double earthTurn =
        kSiderealAtEpoch + std::fmod(kEarthRate * SecondsSince(instant, kSiderealEpoch), 2 * std::numbers::pi);
    for (const NominalOrbit& o : orbits.satellites) {
        const double orbitTurn = std::fmod(seconds, o.period) / o.period * 2 * std::numbers::pi;
        double radius = o.semiMajorAxis, u = o.anomaly * kDeg + orbitTurn;
        if (o.eccentricity > 0) {
            const double e = o.eccentricity, anomaly = Eccentric(u, e);
            radius = o.semiMajorAxis * (1 - e * std::cos(anomaly));
            u = o.perigee * kDeg +
                std::atan2(std::sqrt(1 - e * e) * std::sin(anomaly), std::cos(anomaly) - e);
        }
        const double node = o.node * kDeg - earthTurn;
        const double cosU = std::cos(u), sinU = std::sin(u), cosNode = std::cos(node), sinNode = std::sin(node);
        const double inclination = o.inclination * kDeg;
        use(o.prn, Vector{radius * (cosNode * cosU - sinNode * sinU * std::cos(inclination)),
                          radius * (sinNode * cosU + cosNode * sinU * std::cos(inclination)),
                          radius * sinU * std::sin(inclination)});
    }
}

}  // namespace

std::vector<SatelliteAt> SatellitePositions(Constellation system, UtcInstant instant)
{
    std::vector<SatelliteAt> positions;
    ForEachSatellite(system, instant, [&](int prn, const Vector& p) { positions.push_back({prn, p[0], p[1], p[2]}); });
    return positions;
}

std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant, Constellation system)
{
    const double phi = place.lat * kDeg, lambda = place.lon * kDeg;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
    const Vector receiver = EarthCentred(place);
    const Vector east{-sinLambda, cosLambda, 0};
    const Vector north{-sinPhi * cosLambda, -sinPhi * sinLambda, cosPhi};
    const Vector up{cosPhi * cosLambda, cosPhi * sinLambda, sinPhi};

    static const double kBelowMask = std::sin(kElevationMask * kDeg) - 1e-9;
    std::vector<SatelliteInView> inView;
    ForEachSatellite(system, instant, [&](int prn, const Vector& satellite) {
        const Vector line{satellite[0] - receiver[0], satellite[1] - receiver[1], satellite[2] - receiver[2]};
        const double range = std::sqrt(Dot(line, line));
        if (Dot(line, up) / range < kBelowMask)  // well below: no arc sine wasted on it
            return;
        const double elevation = std::asin(Dot(line, up) / range) / kDeg;
        if (elevation < kElevationMask)
            return;
        double azimuth = std::atan2(Dot(line, east), Dot(line, north)) / kDeg;
        if (azimuth < 0)
            azimuth += 360;
        inView.push_back({prn, elevation, azimuth});
    });
    return inView;
}

std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant)
{
    return SatellitesInView(place, instant, Constellation::Gps);
}

std::optional<Dop> DilutionOfPrecision(std::span<const SkyDirection> used)
{
    // Unknowns: east, north, up, then one clock for each clock present.
    constexpr int kMost = 3 + kClockGroups;
    int column[kClockGroups] = {-1, -1, -1, -1};
    int size = 3;
    for (const SkyDirection& s : used) {
        int& c = column[s.clock >= 0 && s.clock < kClockGroups ? s.clock : 0];
        if (c < 0)
            c = size++;
    }
    if (used.size() < static_cast<std::size_t>(size))
        return std::nullopt;
    // Normal matrix GᵀG beside the identity, inverted in place (Gauss-Jordan).
    double m[kMost][2 * kMost] = {};
    for (const SkyDirection& s : used) {
        const double el = s.elevation * kDeg, az = s.azimuth * kDeg;
        double g[kMost] = {-std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), -std::sin(el)};
        g[column[s.clock >= 0 && s.clock < kClockGroups ? s.clock : 0]] = 1;
        for (int r = 0; r < size; ++r)
            for (int c = 0; c < size; ++c)
                m[r][c] += g[r] * g[c];
    }
    for (int r = 0; r < size; ++r)
        m[r][size + r] = 1;
    for (int col = 0; col < size; ++col) {
        int pivot = col;
        for (int r = col + 1; r < size; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col]))
                pivot = r;
        if (std::abs(m[pivot][col]) < 1e-9)
            return std::nullopt;
        std::swap(m[pivot], m[col]);
        const double scale = m[col][col];
        for (int c = 0; c < 2 * size; ++c)
            m[col][c] /= scale;
        for (int r = 0; r < size; ++r) {
            if (r == col)
                continue;
            const double factor = m[r][col];
            for (int c = 0; c < 2 * size; ++c)
                m[r][c] -= factor * m[col][c];
        }
    }
    const double qEE = m[0][size], qNN = m[1][size + 1], qUU = m[2][size + 2];
    if (qEE < 0 || qNN < 0 || qUU < 0)  // only rounding on a geometry next to singular
        return std::nullopt;
    return Dop{std::sqrt(qEE + qNN + qUU), std::sqrt(qEE + qNN), std::sqrt(qUU)};
}

}  // namespace quilvex
