#include "Sky.hpp"

#include "Geodesy.hpp"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace quilvex {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

struct Slot {
    double node;      // right ascension of the ascending node at the epoch, degrees
    double latitude;  // argument of latitude at the epoch, degrees
};

// The baseline 24-slot constellation; PRN = index + 1.
constexpr std::array<Slot, 24> kSlots{{
    {272.847, 268.126}, {272.847, 161.786}, {272.847, 11.676},  {272.847, 41.806},   // A
    {332.847, 80.956},  {332.847, 173.336}, {332.847, 309.976}, {332.847, 204.376},  // B
    {32.847, 111.876},  {32.847, 11.796},   {32.847, 339.666},  {32.847, 241.556},   // C
    {92.847, 135.226},  {92.847, 265.446},  {92.847, 35.156},   {92.847, 167.356},   // D
    {152.847, 197.046}, {152.847, 302.596}, {152.847, 66.066},  {152.847, 333.686},  // E
    {212.847, 238.886}, {212.847, 345.226}, {212.847, 105.206}, {212.847, 135.346},  // F
}};

constexpr double kOrbitRadius = 26'559'700.0;  // m
constexpr double kOrbitPeriod = 43'082.05;     // s
constexpr double kInclination = 55 * kDeg;
constexpr double kEarthRate = 7.2921151467e-5;  // rad/s
constexpr double kSiderealAtEpoch = (18 + 36 / 60.0 + 14.4 / 3600) * 15 * kDeg;
constexpr auto kEpoch = std::chrono::sys_days{std::chrono::year{1993} / 7 / 1};

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace

std::vector<SatelliteInView> SatellitesInView(const GeoPoint& place, UtcInstant instant)
{
    const double seconds = static_cast<double>((instant - kEpoch).count()) / 1000;
    // The Earth's turn since the epoch, taken off every node: Earth-fixed from here on.
    const double earthTurn = kSiderealAtEpoch + std::fmod(kEarthRate * seconds, 2 * std::numbers::pi);
    const double orbitTurn = std::fmod(seconds, kOrbitPeriod) / kOrbitPeriod * 2 * std::numbers::pi;

    const double phi = place.lat * kDeg, lambda = place.lon * kDeg;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
    const Vector receiver = EarthCentred(place);
    const Vector east{-sinLambda, cosLambda, 0};
    const Vector north{-sinPhi * cosLambda, -sinPhi * sinLambda, cosPhi};
    const Vector up{cosPhi * cosLambda, cosPhi * sinLambda, sinPhi};

    std::vector<SatelliteInView> inView;
    for (std::size_t i = 0; i < kSlots.size(); ++i) {
        const double node = kSlots[i].node * kDeg - earthTurn;
        const double u = kSlots[i].latitude * kDeg + orbitTurn;
        const double cosU = std::cos(u), sinU = std::sin(u), cosNode = std::cos(node), sinNode = std::sin(node);
        const Vector satellite{
            kOrbitRadius * (cosNode * cosU - sinNode * sinU * std::cos(kInclination)),
            kOrbitRadius * (sinNode * cosU + cosNode * sinU * std::cos(kInclination)),
            kOrbitRadius * sinU * std::sin(kInclination)};
        const Vector line{satellite[0] - receiver[0], satellite[1] - receiver[1], satellite[2] - receiver[2]};
        const double range = std::sqrt(Dot(line, line));
        const double elevation = std::asin(Dot(line, up) / range) / kDeg;
        if (elevation < kElevationMask)
            continue;
        double azimuth = std::atan2(Dot(line, east), Dot(line, north)) / kDeg;
        if (azimuth < 0)
            azimuth += 360;
        inView.push_back({static_cast<int>(i) + 1, elevation, azimuth});
    }
    return inView;
}

std::optional<Dop> DilutionOfPrecision(std::span<const SkyDirection> used)
{
    if (used.size() < 4)
        return std::nullopt;
    // Normal matrix GᵀG beside the identity, inverted in place (Gauss-Jordan).
    double m[4][8] = {};
    for (const SkyDirection& s : used) {
        const double el = s.elevation * kDeg, az = s.azimuth * kDeg;
        const double g[4] = {-std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), -std::sin(el), 1};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m[r][c] += g[r] * g[c];
    }
    for (int r = 0; r < 4; ++r)
        m[r][4 + r] = 1;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col]))
                pivot = r;
        if (std::abs(m[pivot][col]) < 1e-9)
            return std::nullopt;
        std::swap(m[pivot], m[col]);
        const double scale = m[col][col];
        for (double& x : m[col])
            x /= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == col)
                continue;
            const double factor = m[r][col];
            for (int c = 0; c < 8; ++c)
                m[r][c] -= factor * m[col][c];
        }
    }
    const double qEE = m[0][4], qNN = m[1][5], qUU = m[2][6];
    if (qEE < 0 || qNN < 0 || qUU < 0)  // only rounding on a geometry next to singular
        return std::nullopt;
    return Dop{std::sqrt(qEE + qNN + qUU), std::sqrt(qEE + qNN), std::sqrt(qUU)};
}

}  // namespace quilvex
