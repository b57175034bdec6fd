#include "Geodesy.hpp"
#include "InstantText.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "ReceiverTexts.hpp"
#include "Replay.hpp"
#include "Route.hpp"
#include "NmeaLog.hpp"
#include "Sentences.hpp"
#include "WorkedExample.hpp"

#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <numbers>

using namespace quilvex;
using namespace std::chrono;
using namespace std::literals;

namespace {

constexpr double kDeg = std::numbers::pi / 180;
const GeographicLib::Geodesic& kWgs84 = GeographicLib::Geodesic::WGS84();
const SystemTimeRecord kUtc = SystemTimeAt(ParseUtcInstant("2010-09-16T04:51:35.127Z").value());

UtcInstant At(const char* text)
{
    return ParseUtcInstant(text).value();
}

double GeodesicMetres(const GeoPoint& a, const GeoPoint& b)
{
    double metres = 0;
    kWgs84.Inverse(a.lat, a.lon, b.lat, b.lon, metres);
    return metres;
}

// A rhumb leg worked apart from the code: the meridian arc from the geodesic
// solver (a meridian is a geodesic), the isometric latitude by its formula,
// the longitude east or west, whichever is shorter; a parallel's length from
// its radius.
struct WorkedLeg {
    double metres, bearing;
    GeoPoint at;  // `fraction` of the way
};
WorkedLeg WorkedRhumb(const GeoPoint& a, const GeoPoint& b, double fraction)
{
    const double e = std::sqrt(kWgs84.Flattening() * (2 - kWgs84.Flattening()));
    const auto psi = [&](double lat) { return std::atanh(std::sin(lat * kDeg)) - e * std::atanh(e * std::sin(lat * kDeg)); };
    const double dLon = std::remainder(b.lon - a.lon, 360.0) * kDeg, dPsi = psi(b.lat) - psi(a.lat);
    const double arc = std::copysign(GeodesicMetres({a.lat, 0}, {b.lat, 0}), b.lat - a.lat);
    const double bearing = std::atan2(dLon, dPsi);
    const double sinLat = std::sin(a.lat * kDeg), parallel = kWgs84.EquatorialRadius() * std::cos(a.lat * kDeg) / std::sqrt(1 - e * e * sinLat * sinLat);
    WorkedLeg leg{dPsi == 0 ? std::abs(dLon) * parallel : arc / std::cos(bearing), std::fmod(bearing / kDeg + 360, 360), a};
    double unused = 0;
    kWgs84.Direct(a.lat, 0, arc < 0 ? 180 : 0, std::abs(arc) * fraction, leg.at.lat, unused);
    leg.at.lon = a.lon + (dPsi == 0 ? fraction : (psi(leg.at.lat) - psi(a.lat)) / dPsi) * dLon / kDeg;
    return leg;
}

}  // namespace

// Checksums and fields checked by hand and by an independent script; the
// DOPs of the first row recomputed from its GSV with another inversion.
TEST(Receiver, GoldenTicks)
{
    const Constellations gpsGlonassQzss{Constellation::Gps, Constellation::Glonass, Constellation::Qzss};
    const Constellations gpsBeiDouQzss{Constellation::Gps, Constellation::BeiDou, Constellation::Qzss};
    const struct {
        Receiver receiver;
        std::string_view bytes;
        std::size_t skyFrom = 6;
    } rows[] = {
        {{.format = NmeaFormat::Standard, .talker = Talker::GN, .position = GeoPoint{-33.8568, 151.2153, 58.0},
          .speedKnots = 12.4, .courseDeg = 45},
         kStandardExampleTick},
        {{.format = NmeaFormat::Standard, .fixLoss = {{0, 1}}}, kNoFixExampleTick},
        {{.speedKnots = 0, .courseDeg = 45}, kWorkedExampleTick},  // classic standing still: course 0 as always
        {{.position = GeoPoint{-34.6037, -58.3816, 25.0}, .speedKnots = 5, .courseDeg = 270},
         "$GPZDA,045135.12,16,09,2010,13,51*68\r\n"
         "$GPGGA,045135.12,3436.222000,S,05822.896000,W,1,08,0.9,25.0,M,0,M,5.0,1012*5D\r\n"
         "$GPGLL,3436.222000,S,05822.896000,W,045135.12,A,A*69\r\n"
         "$GPVTG,270.0,T,270.0,M,5.0,N,9.3,K,A*2C\r\n"
         "$GPRMC,045135.12,A,3436.222000,S,05822.896000,W,005.0,270.0,160910,0,E,A*24\r\n"
         "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n"},
        {{.talker = Talker::GN},
         "$GNZDA,045135.12,16,09,2010,13,51*76\r\n"
         "$GNGGA,045135.12,3541.221600,N,13941.301400,E,1,08,0.9,0,M,0,M,5.0,1012*63\r\n"
         "$GNGLL,3541.221600,N,13941.301400,E,045135.12,A,A*7E\r\n"
         "$GNVTG,0,T,0,M,0,N,0,K,A*3D\r\n"
         "$GNRMC,045135.12,A,3541.221600,N,13941.301400,E,000.0,000.0,160910,0,E,A*33\r\n"
         "$GNGSA,A,3,,,,,,,,,,,,,0,0,0*32\r\n"},
        {{.fixSwitchedOff = true},
         "$GPZDA,045135.12,16,09,2010,13,51*68\r\n"
         "$GPGGA,045135.12,,,,,0,00,99.99,,M,,M,,*63\r\n"
         "$GPGLL,,,,,045135.12,V,N*4F\r\n"
         "$GPVTG,,T,,M,,N,,K,N*2C\r\n"
         "$GPRMC,045135.12,V,,,,,,,160910,,,N*77\r\n"
         "$GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99*30\r\n"},
        // Tokyo: QZSS as GQ 1-10 with system ID 5 (4.11); as GP 193-202 in GPS's GSA (4.10).
        {{.format = NmeaFormat::Standard, .systems = gpsGlonassQzss},
         "$GNZDA,045135.12,16,09,2010,00,00*70\r\n"
         "$GNGGA,045135.12,3541.22160,N,13941.30140,E,1,12,0.61,0.0,M,0.0,M,,*7F\r\n"
         "$GNGLL,3541.22160,N,13941.30140,E,045135.12,A,A*7E\r\n"
         "$GNVTG,0.0,T,,M,0.0,N,0.000,K,A*13\r\n"
         "$GNRMC,045135.12,A,3541.22160,N,13941.30140,E,0.0,0.0,160910,,,A,V*3C\r\n"
         "$GNGSA,A,3,08,12,13,16,19,23,24,,,,,,1.19,0.61,1.02,1*0D\r\n"
         "$GNGSA,A,3,65,72,77,78,79,81,87,88,,,,,1.19,0.61,1.02,2*0E\r\n"
         "$GNGSA,A,3,02,03,04,07,,,,,,,,,1.19,0.61,1.02,5*0A\r\n"
         "$GPGSV,2,1,07,08,12,291,34,12,45,172,44,13,38,310,42,16,68,000,49,1*69\r\n"
         "$GPGSV,2,2,07,19,18,248,36,23,55,085,46,24,29,049,40,1*53\r\n"
         "$GLGSV,2,1,08,65,23,119,38,72,24,062,38,77,25,191,38,78,55,255,46,1*75\r\n"
         "$GLGSV,2,2,08,79,27,322,39,81,25,281,38,87,26,051,39,88,54,345,46,1*78\r\n"
         "$GQGSV,1,1,04,02,88,063,50,03,53,168,46,04,12,192,34,07,46,201,44,1*67\r\n",
         8},
        {{.format = NmeaFormat::Standard, .systems = gpsBeiDouQzss, .dialect = NmeaDialect::V410},
         "$GNZDA,045135.12,16,09,2010,00,00*70\r\n"
         "$GNGGA,045135.12,3541.22160,N,13941.30140,E,1,12,0.58,0.0,M,0.0,M,,*75\r\n"
         "$GNGLL,3541.22160,N,13941.30140,E,045135.12,A,A*7E\r\n"
         "$GNVTG,0.0,T,,M,0.0,N,0.000,K,A*13\r\n"
         "$GNRMC,045135.12,A,3541.22160,N,13941.30140,E,0.0,0.0,160910,,,A,V*3C\r\n"
         "$GNGSA,A,3,08,12,13,16,19,23,24,194,195,196,199,,1.06,0.58,0.89,1*05\r\n"
         "$GNGSA,A,3,19,20,21,27,34,35,38,39,44,45,59,61,1.06,0.58,0.89,4*09\r\n"
         "$GPGSV,3,1,11,08,12,291,34,12,45,172,44,13,38,310,42,16,68,000,49,1*6F\r\n"
         "$GPGSV,3,2,11,19,18,248,36,23,55,085,46,24,29,049,40,194,88,063,50,1*59\r\n"
         "$GPGSV,3,3,11,195,53,168,46,196,12,192,34,199,46,201,44,1*62\r\n"
         "$GBGSV,4,1,14,19,24,304,38,20,40,243,43,21,17,189,36,27,28,071,39,1*73\r\n"
         "$GBGSV,4,2,14,34,33,287,41,35,65,005,48,38,74,221,49,39,54,255,46,1*79\r\n"
         "$GBGSV,4,3,14,43,16,165,36,44,35,111,41,45,20,055,37,59,49,179,45,1*79\r\n"
         "$GBGSV,4,4,14,60,16,251,36,61,38,224,42,1*7F\r\n",
         7},
    };
    for (const auto& row : rows) {
        const Tick tick = ComposeTick(row.receiver, kUtc, "13");
        EXPECT_EQ(JoinTick(tick), row.bytes);
        EXPECT_EQ(tick.skyFrom, row.skyFrom);
        EXPECT_LE(JoinTick(tick).size(), WidestStandardTick(row.receiver.systems, row.receiver.dialect).whole);
    }
    // 635 bytes need 7056 bit/s; with one GSV sentence, 425 go at 4800.
    EXPECT_TRUE(WidestStandardTick().whole == 635 && WidestStandardTick().withOneGsv == 425);
    EXPECT_TRUE(!CarriesWholeStandardTick(7055) && CarriesWholeStandardTick(7056));
    // Unmoved at any seat, the seat's texts go as they stand.
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const PrefectureRow& seat = PrefectureTable[slot];
        const std::string place = std::string(seat.lat) + ",N," + std::string(seat.lon) + ",E,";
        EXPECT_EQ(ComposeTick(Receiver{.slot = slot}, kUtc, "13")[2], FrameSentence("GPGLL," + place + "045135.12,A,A"))
            << seat.latin;
    }
}

// Rounding carries into the degree; hemispheres follow the sign.
TEST(Receiver, PlaceFields)
{
    const struct {
        NmeaFormat format;
        GeoPoint place;
        const char* gll;
    } rows[] = {
        {NmeaFormat::Standard, {35.99999993, -0.00000001}, "3600.00000,N,00000.00000,E"},  // 59.999996'
        {NmeaFormat::Classic, {-0.5, 179.9999999999}, "0030.000000,S,18000.000000,E"},
        {NmeaFormat::Standard, {-90, -180}, "9000.00000,S,18000.00000,W"},
    };
    for (const auto& row : rows) {
        const Tick tick = ComposeTick(Receiver{.format = row.format, .position = row.place}, kUtc, "13");
        EXPECT_EQ(tick[2].substr(7, std::string_view(row.gll).size()), row.gll);
    }
    const Tick turning = ComposeTick({.speedKnots = 1, .courseDeg = 359.97}, kUtc, "13");
    EXPECT_NE(turning[4].find(",001.0,000.0,"), std::string::npos) << turning[4];  // never 360.0
}

TEST(Receiver, FixLossAndGsvGroups)
{
    const Receiver r{.format = NmeaFormat::Standard, .fixLoss = {{3, 2}, {10, 1}}};
    const bool fix[] = {true, true, true, false, false, true, true, true, true, true, false, true};
    for (long long s = 0; s < 12; ++s)
        EXPECT_EQ(HasFix(AdvancedTo(r, s)), fix[s]) << s;

    const std::vector<GsvSatellite> four(4, {7, 45, 90, 44});
    EXPECT_EQ(ComposeGSVGroup(four),
              std::vector<std::string>{"GSV,1,1,04,07,45,090,44,07,45,090,44,07,45,090,44,07,45,090,44"});
    EXPECT_EQ(ComposeGSVGroup({}), std::vector<std::string>{"GSV,1,1,00"});
}

// PRN 3 (slot A3, 11.676 deg at the epoch) reaches its ascending node after
// (360 - 11.676)/360 * 43082.05 s = 41684.756 s; the Earth has turned
// 279.06 + 41684.756 * 7.2921151467e-5 rad = 93.222 deg, so the node lies at
// 272.847 - 93.222 = 179.625 deg E on the equator.
TEST(Sky, Physics)
{
    const UtcInstant node = At("1993-07-01T11:34:44.756Z");
    bool overhead = false;
    for (const SatelliteInView& s : SatellitesInView({0, 179.625}, node))
        overhead |= s.prn == 3 && s.elevation > 89.95;
    EXPECT_TRUE(overhead);

    const GeoPoint places[] = {{43.06, 141.34}, {26.21, 127.68}, {-33.86, 151.21}, {90, 0},
                               {0, -30},        {51.5, -0.1}};
    const UtcInstant instants[] = {At("2010-09-16T04:51:35Z"), At("2026-03-01T18:07:00Z"), At("1999-12-31T23:00:00Z")};
    for (const UtcInstant t : instants) {
        for (const GeoPoint& p : places) {
            const auto now = SatellitesInView(p, t);
            // A sidereal day later the sky is the same; half of one later the
            // orbits are, and the Earth has turned half round under them.
            const auto day = SatellitesInView(p, t + milliseconds(86'164'099));
            const auto half = SatellitesInView({p.lat, p.lon > 0 ? p.lon - 180 : p.lon + 180}, t + 43'082'050ms);
            ASSERT_EQ(day.size(), now.size());
            ASSERT_EQ(half.size(), now.size());
            double moved = 0;
            const auto later = SatellitesInView(p, t + 5min);
            for (std::size_t i = 0; i < now.size(); ++i) {
                EXPECT_NEAR(day[i].elevation, now[i].elevation, 0.01);
                EXPECT_NEAR(half[i].elevation, now[i].elevation, 0.01);
                if (now[i].elevation < 89) {
                    EXPECT_NEAR(half[i].azimuth, now[i].azimuth, 0.01);
                }
                for (const SatelliteInView& s : later)
                    moved = std::max(moved, s.prn == now[i].prn ? std::abs(s.elevation - now[i].elevation) : 0);
            }
            EXPECT_GT(moved, 0.5);  // a few degrees in five minutes
        }
    }
    // Over latitudes, longitudes and a day: 5 to 12 in view, 8.3 on average.
    double inView = 0, samples = 0;
    for (double lat = -90; lat <= 90; lat += 15)
        for (double lon = -180; lon < 180; lon += 30)
            for (minutes m{}; m < 24h; m += 1h, ++samples) {
                const std::size_t n = SatellitesInView({lat, lon}, instants[0] + m).size();
                EXPECT_TRUE(n >= kFewestInView && n <= kMostInView) << lat << " " << lon << " " << m.count();
                inView += static_cast<double>(n);
            }
    EXPECT_NEAR(inView / samples, 8.3, 0.1);
    // Sapporo and Naha see different skies.
    const auto sky = [](int slot) {
        const Tick tick = ComposeTick({.format = NmeaFormat::Standard, .slot = slot}, kUtc, "");
        return std::vector(tick.begin() + static_cast<long>(tick.skyFrom), tick.end());
    };
    EXPECT_NE(sky(1), sky(47));
}

// The published nominal orbits, checked from the positions alone: the
// highest sub-satellite latitude is the inclination; after its repeat
// interval in sidereal days a MEO satellite's sub-satellite point is back
// within a degree. QZSS keeps one satellite high over Japan, some in view
// over Australia and none over Europe; with all five systems Tokyo sees
// 30 to 46 and never a worse DOP than GPS alone gives.
TEST(Sky, Systems)
{
    const UtcInstant t0 = At("2026-12-07T00:00:00Z");
    const auto direction = [](const SatelliteAt& s) {
        const double r = std::hypot(s.x, s.y, s.z);
        return std::array{s.x / r, s.y / r, s.z / r};
    };
    const struct {
        Constellation system;
        double inclination;  // of the first satellites
        std::size_t meo;     // how many are in MEO
        int siderealDays;    // their repeat interval
    } rows[] = {
        {Constellation::Glonass, 64.8, 24, 8}, {Constellation::Galileo, 56, 24, 10},
        {Constellation::BeiDou, 55, 24, 7},    {Constellation::Qzss, 41, 0, 1},
    };
    for (const auto& row : rows) {
        double highest = 0;
        for (minutes m{}; m < 24h; m += 2min)
            highest = std::max(highest, std::asin(direction(SatellitePositions(row.system, t0 + m)[0])[2]) / kDeg);
        EXPECT_NEAR(highest, row.inclination, 0.1) << static_cast<int>(row.system);
        const auto now = SatellitePositions(row.system, t0);
        const auto later = SatellitePositions(row.system, t0 + milliseconds(row.siderealDays * 86'164'091LL));
        for (std::size_t i = 0; i < row.meo; ++i) {
            const auto a = direction(now[i]), b = direction(later[i]);
            EXPECT_LT(std::acos(std::min(1.0, a[0] * b[0] + a[1] * b[1] + a[2] * b[2])) / kDeg, 1.0) << now[i].prn;
        }
    }
    const GeoPoint tokyo{35.6895, 139.6917}, sydney{-33.8688, 151.2093}, paris{48.8566, 2.3522};
    const Receiver gpsAlone{.format = NmeaFormat::Standard, .position = tokyo};
    Receiver all = gpsAlone;
    all.systems = Constellations(kConstellations.begin(), kConstellations.end());
    int instants = 0, zenith = 0, smaller = 0;
    for (minutes m{}; m < 24h; m += 10min, ++instants) {
        const auto qzss = SatellitesInView(tokyo, t0 + m, Constellation::Qzss);
        zenith += std::any_of(qzss.begin(), qzss.end(), [](const auto& s) { return s.elevation > 60; });
        EXPECT_GE(qzss.size(), 3u);
        EXPECT_GE(SatellitesInView(sydney, t0 + m, Constellation::Qzss).size(), 1u);
        EXPECT_TRUE(SatellitesInView(paris, t0 + m, Constellation::Qzss).empty());
        const Tick one = ComposeTickAt(gpsAlone, t0 + m), five = ComposeTickAt(all, t0 + m);
        EXPECT_TRUE(five.sky.satellites.size() >= 30 && five.sky.satellites.size() <= 46) << five.sky.satellites.size();
        EXPECT_LE(five.sky.dop->pdop, one.sky.dop->pdop);
        smaller += five.sky.dop->pdop < one.sky.dop->pdop ? 1 : 0;
    }
    EXPECT_GE(zenith * 100, instants * 95);
    EXPECT_GE(smaller * 10, instants * 9);
}

// The sentences of every tick agree with each other, in each dialect: each
// GSA's satellites are in its system's GSV (by the talker and signal the
// u-blox tables give each system ID), its HDOP is GGA's, their count is
// GGA's up to 12; each GSV group counts and numbers its sentences and
// satellites, each number in its system's range.
TEST(Receiver, GnssTicksAgree)
{
    struct Group {
        std::string talker;
        int signal, lowest, highest;
    };
    const std::map<std::pair<NmeaDialect, int>, std::vector<Group>> bySystemId{
        {{NmeaDialect::V410, 1}, {{"GP", 1, 1, 32}, {"GP", 1, 193, 202}}}, {{NmeaDialect::V410, 2}, {{"GL", 1, 65, 96}}},
        {{NmeaDialect::V410, 3}, {{"GA", 7, 1, 36}}}, {{NmeaDialect::V410, 4}, {{"GB", 1, 1, 63}}},
        {{NmeaDialect::V411, 1}, {{"GP", 1, 1, 32}}}, {{NmeaDialect::V411, 2}, {{"GL", 1, 65, 96}}},
        {{NmeaDialect::V411, 3}, {{"GA", 7, 1, 36}}}, {{NmeaDialect::V411, 4}, {{"GB", 1, 1, 63}}},
        {{NmeaDialect::V411, 5}, {{"GQ", 1, 1, 10}}},
    };
    const auto fields = [](const std::string& sentence) {
        std::vector<std::string> f;
        std::stringstream in(sentence.substr(1, sentence.find('*') - 1));
        for (std::string field; std::getline(in, field, ',');)
            f.push_back(field);
        if (sentence[sentence.find('*') - 1] == ',')
            f.emplace_back();
        return f;
    };
    const GeoPoint places[] = {{35.6895, 139.6917}, {-33.8688, 151.2093}, {48.8566, 2.3522}, {-77.85, 166.67}};
    for (const NmeaDialect dialect : {NmeaDialect::V410, NmeaDialect::V411})
        for (const GeoPoint& place : places)
            for (hours h{}; h < 24h; h += 5h)
                for (const long long fixLoss : {0, 1}) {
                    const Receiver r{.format = NmeaFormat::Standard,
                                     .systems = Constellations(kConstellations.begin(), kConstellations.end()),
                                     .dialect = dialect, .position = place, .fixLoss = {{0, fixLoss}}};
                    const Tick tick = ComposeTickAt(r, At("2026-12-07T00:00:00Z") + h);
                    std::map<std::string, std::set<int>> inView;  // by talker
                    std::map<std::string, int> sentences;
                    std::size_t used = 0;
                    for (std::size_t i = tick.skyFrom; i < tick.size(); ++i) {
                        const auto f = fields(tick[i]);
                        const std::string talker = f[0].substr(0, 2);
                        const int count = std::stoi(f[1]), number = std::stoi(f[2]), total = std::stoi(f[3]);
                        EXPECT_EQ(number, ++sentences[talker]) << tick[i];
                        EXPECT_EQ(f.size(), 5 + 4 * std::size_t(std::min(4, total - 4 * (number - 1)))) << tick[i];
                        for (std::size_t s = 4; s + 4 < f.size(); s += 4) {
                            inView[talker].insert(std::stoi(f[s]));
                            EXPECT_EQ(f[s + 3].empty(), fixLoss == 1) << tick[i];
                        }
                        if (number == count) {
                            EXPECT_EQ(inView[talker].size(), std::size_t(total)) << tick[i];
                        }
                        bool known = false;
                        for (const auto& [key, groups] : bySystemId)
                            for (const Group& g : groups)
                                known |= key.first == dialect && g.talker == talker && std::stoi(f.back()) == g.signal;
                        EXPECT_TRUE(known) << tick[i];
                    }
                    const auto gga = fields(tick[1]);
                    for (std::size_t i = 5; i < tick.skyFrom; ++i) {
                        const auto f = fields(tick[i]);
                        ASSERT_EQ(f[0], "GNGSA");
                        EXPECT_EQ(f[2], fixLoss ? "1" : "3");
                        EXPECT_EQ(f[16], gga[8]);
                        const auto& groups = bySystemId.at({dialect, std::stoi(f[18])});
                        for (std::size_t s = 3; s < 15 && !f[s].empty(); ++s, ++used) {
                            const int n = std::stoi(f[s]);
                            EXPECT_TRUE(std::any_of(groups.begin(), groups.end(), [&](const Group& g) {
                                return inView[g.talker].contains(n) && n >= g.lowest && n <= g.highest;
                            })) << tick[i];
                        }
                    }
                    EXPECT_EQ(std::min<std::size_t>(used, 12), std::size_t(std::stoi(gga[7]))) << tick[1];
                }
}

// Zenith plus three on the horizon 120 deg apart: GᵀG = diag(3/2, 3/2) beside
// [[1, -1], [-1, 4]] for up and clock, so q_EE = q_NN = 2/3 and q_UU = 4/3.
// With azimuths 0/90/180 instead: q_NN = 1/2, q_EE = q_UU = 3/2.
TEST(Sky, DilutionOfPrecision)
{
    const struct {
        std::vector<SkyDirection> used;
        double pdop, hdop, vdop;  // 0: none
    } rows[] = {
        {{{90, 0}, {0, 0}, {0, 120}, {0, 240}}, std::sqrt(8 / 3.0), std::sqrt(4 / 3.0), std::sqrt(4 / 3.0)},
        {{{90, 0}, {0, 0}, {0, 90}, {0, 180}}, std::sqrt(3.5), std::sqrt(2.0), std::sqrt(1.5)},
        {{{90, 0}, {0, 0}, {0, 120}}, 0, 0, 0},
        {{{40, 0}, {40, 120}, {40, 240}, {40, 300}}, 0, 0, 0},  // one elevation: height and clock inseparable
        // A system's lone satellite is all taken by its own clock: the first row's DOPs.
        {{{90, 0}, {0, 0}, {0, 120}, {0, 240}, {45, 60, 2}}, std::sqrt(8 / 3.0), std::sqrt(4 / 3.0), std::sqrt(4 / 3.0)},
    };
    for (const auto& row : rows) {
        const auto dop = DilutionOfPrecision(row.used);
        ASSERT_EQ(dop.has_value(), row.pdop > 0);
        if (dop) {
            EXPECT_NEAR(dop->pdop, row.pdop, 1e-9);
            EXPECT_NEAR(dop->hdop, row.hdop, 1e-9);
            EXPECT_NEAR(dop->vdop, row.vdop, 1e-9);
        }
    }
}

// Along a meridian or the equator a rhumb line is a geodesic, so the place,
// and the course after a pole, come from GeographicLib's geodesic solver.
TEST(Receiver, Motion)
{
    const struct {
        GeoPoint from;
        double knots, course;
        long long seconds;
    } rows[] = {
        {{0, 179.99999}, 12, 90, 1},
        {{89.99999, 10}, 12, 0, 1},
        {{-89.99999, -100}, 12, 180, 1},
        {{0, 20}, 1000, 0, 100'000},  // over both poles and the north one again
    };
    for (const auto& row : rows) {
        const Receiver r = AdvancedTo({.position = row.from, .speedKnots = row.knots, .courseDeg = row.course}, row.seconds);
        double lat = 0, lon = 0, course = 0;
        kWgs84.Direct(row.from.lat, row.from.lon, row.course, row.knots * kKnot * static_cast<double>(row.seconds), lat, lon,
                      course);
        EXPECT_NEAR(r.position->lat, lat, 1e-9) << row.from.lat;
        EXPECT_NEAR(r.position->lon, lon, 1e-9) << row.from.lat;
        EXPECT_NEAR(r.courseDeg, std::fmod(course + 360, 360), 1e-9) << row.from.lat;
    }
    EXPECT_FALSE(AdvancedTo({.speedKnots = 0}, 5).position);  // unmoved: still the seat, its texts sent as they stand
    // Over a pole on a course over 180 the course turns round too (315 becomes 225), the
    // place as far down the meridian as the rhumb line's meridian run went past the pole.
    const Receiver over = AdvancedTo({.position = GeoPoint{89.99999, 10}, .speedKnots = 12, .courseDeg = 315}, 1);
    double toPole = 0, lat = 0, lon = 0;
    kWgs84.Inverse(89.99999, 10, 90, 10, toPole);
    kWgs84.Direct(90, 10, 180, 12 * kKnot * std::cos(45 * kDeg) - toPole, lat, lon);
    EXPECT_NEAR(over.position->lat, lat, 1e-9);
    EXPECT_EQ(over.courseDeg, 225);

    // Each second's step is the distance run, measured by the geodesic
    // between the two places, and its course the mean of the geodesic's
    // ends.
    for (const double lat : {0.0, 30.0, 60.0, 80.0, 89.0, -45.0}) {
        for (const double course : {0.0, 45.0, 90.0, 135.0, 200.0, 315.0}) {
            for (const double knots : {100.0, 1000.0}) {
                const GeoPoint from{lat, 139};
                const GeoPoint to = *AdvancedTo({.position = from, .speedKnots = knots, .courseDeg = course}, 1).position;
                double metres = 0, start = 0, end = 0;
                kWgs84.Inverse(from.lat, from.lon, to.lat, to.lon, metres, start, end);
                EXPECT_NEAR(metres / (knots * kKnot), 1, 2e-6) << lat << " " << course << " " << knots;
                EXPECT_NEAR(std::remainder((start + end) / 2 - course, 360.0), 0, 1e-4) << lat << " " << course;
            }
        }
    }

    // Spiralling onto a pole stays finite.
    for (const double lat : {89.9999, -89.9999}) {
        for (const double course : {45.0, 90.0, 135.0, 270.0, 359.9}) {
            const auto r = AdvancedTo({.position = GeoPoint{lat, 0}, .speedKnots = 1000, .courseDeg = course}, 100);
            EXPECT_TRUE(std::isfinite(r.position->lat) && std::abs(r.position->lon) <= 180) << lat << " " << course;
        }
    }
}

TEST(Receiver, Texts)
{
    const struct {
        const char* text;
        bool position, speed, course, fixLoss;
    } rows[] = {
        {"-33.8568,151.2153,58", 1, 0, 0, 0}, {"40.6892,-74.0445", 1, 0, 0, 0}, {"90,-180,-1000", 1, 0, 0, 0},
        {"0,0,100000", 1, 0, 0, 0},           {"90.0001,0", 0, 0, 0, 0},        {"0,180.5", 0, 0, 0, 0},
        {"0,0,100001", 0, 0, 0, 0},           {"1e1,0", 0, 0, 0, 0},            {"nan,0", 0, 0, 0, 0},
        {" 1,2", 0, 0, 0, 0},                 {"1,2,", 0, 0, 0, 0},             {"1.,2", 0, 0, 0, 0},
        {"12.5", 0, 1, 1, 0},                 {"0", 0, 1, 1, 0},                {"359.9", 0, 1, 1, 0},
        {"360", 0, 1, 0, 0},                  {"1000", 0, 1, 0, 0},             {"1000.1", 0, 0, 0, 0},
        {"-1", 0, 0, 0, 0},                   {"inf", 0, 0, 0, 0},              {"12 ", 0, 0, 0, 0},
        {".5", 0, 0, 0, 0},                   {"30+10", 0, 0, 0, 1},            {"0+1", 0, 0, 0, 1},
        {"30+0", 0, 0, 0, 0},                 {"30+", 0, 0, 0, 0},              {"-1+5", 0, 0, 0, 0},
        {"99999999999999999999+1", 0, 0, 0, 0}, {"+1,-2", 1, 0, 0, 0},             {"+12.5", 0, 0, 0, 0},
        {"-0", 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ParsePosition(row.text).has_value(), row.position) << row.text;
        EXPECT_EQ(ParseSpeed(row.text).has_value(), row.speed) << row.text;
        EXPECT_EQ(ParseCourse(row.text).has_value(), row.course) << row.text;
        EXPECT_EQ(ParseFixLoss(row.text).has_value(), row.fixLoss) << row.text;
    }
    const GeoPoint p = ParsePosition("-33.8568,151.2153,58").value();
    EXPECT_TRUE(p.lat == -33.8568 && p.lon == 151.2153 && p.altitude == 58.0);
    EXPECT_FALSE(ParsePosition("40.6892,-74.0445")->altitude);
    EXPECT_EQ(ParseFixLoss("30+10")->length, 10);
    EXPECT_TRUE(ParseTalker("GN") == Talker::GN && !ParseTalker("gn"));
    EXPECT_TRUE(ParseFormat("standard") == NmeaFormat::Standard && !ParseFormat("Standard"));
}

TEST(Route, RhumbLegs)
{
    const struct {
        GeoPoint a, b;
        std::optional<double> quarterAltitude{};
    } rows[] = {
        {{0, 0}, {1, 0}},
        {{0, 179.5}, {0, -179.5}},  // over the antimeridian, the short way
        {{10, 170}, {-10, -170}},
        {{35.6895, 139.6917}, {-33.8688, 151.2093}},
        {{51.5, -0.1}, {40.7, -74.0}},  // westward
        {{60, -10, 100.0}, {60, 10, 300.0}, 150.0},
    };
    for (const auto& row : rows) {
        const WorkedLeg want = WorkedRhumb(row.a, row.b, 0.25);
        const Leg leg = RhumbBetween(row.a, row.b);
        EXPECT_NEAR(leg.metres, want.metres, 1e-3) << row.a.lat;
        EXPECT_NEAR(leg.bearingDeg, want.bearing, 1e-9) << row.a.lat;
        const GeoPoint q = RhumbPointAt(row.a, row.b, leg.metres / 4);
        EXPECT_NEAR(q.lat, want.at.lat, 1e-9) << row.a.lat;
        EXPECT_NEAR(q.lon, want.at.lon, 1e-9) << row.a.lat;
        EXPECT_EQ(q.altitude, row.quarterAltitude);
    }
}

// East a degree on the equator, north a degree, home.
TEST(Route, Travel)
{
    const std::vector<GeoPoint> points{{0, 0, 10.0}, {0, 1, 30.0}, {1, 1}};
    const Route open(points, false), looped(points, true);
    const double east = GeodesicMetres(points[0], points[1]), north = GeodesicMetres(points[1], points[2]);
    const WorkedLeg home = WorkedRhumb(points[2], points[0], 0.5);
    double halfNorth = 0, unused = 0;
    kWgs84.Direct(0, 1, 0, north / 2, halfNorth, unused);
    const struct {
        const Route* route;
        double metres;
        GeoPoint at;
        double course;
        bool arrived;
    } rows[] = {
        {&open, 0, {0, 0, 10.0}, 90, false},
        {&open, east / 2, {0, 0.5, 20.0}, 90, false},
        {&open, east + 1e-4, {0, 1, 30.0}, 0, false},  // just past the point: turned
        {&open, east + north / 2, {halfNorth, 1, 30.0}, 0, false},
        {&open, 1e7, {1, 1}, 0, true},
        {&looped, east + north + home.metres / 2, home.at, home.bearing, false},
        {&looped, east + north + home.metres + east / 2, {0, 0.5, 20.0}, 90, false},  // round again
    };
    for (const auto& row : rows) {
        const Route::Position p = row.route->at(row.metres);
        EXPECT_NEAR(p.place.lat, row.at.lat, 1e-9) << row.metres;
        EXPECT_NEAR(p.place.lon, row.at.lon, 1e-9) << row.metres;
        EXPECT_EQ(p.place.altitude.has_value(), row.at.altitude.has_value()) << row.metres;
        EXPECT_NEAR(p.place.altitude.value_or(0), row.at.altitude.value_or(0), 1e-3) << row.metres;
        EXPECT_NEAR(p.courseDeg, row.course, 1e-9) << row.metres;
        EXPECT_EQ(p.arrived, row.arrived) << row.metres;
    }
    EXPECT_TRUE(Route({{5, 5}}, true).at(100).place.lat == 5 && Route({{5, 5}}, false).at(100).arrived);
    // Each leg starts, so the one before ends, exactly at its point.
    const std::vector<GeoPoint> ends{{-33.8568, 151.2153}, {35, 10}};
    const Route there(ends, true);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const GeoPoint at = there.at(there.length() / 2 * static_cast<double>(i)).place;
        EXPECT_TRUE(at.lat == ends[i].lat && at.lon == ends[i].lon) << i;
    }
}

TEST(Replay, Timeline)
{
    const double kn = GeodesicMetres({0, 0}, {0, 0.001}) / 2 / kKnot;  // 0.001 deg on the equator in 2 s
    const UtcInstant t0 = At("2026-01-07T00:00:00Z");
    const RecordedFix logged{t0, true, {0, 0}, 10.0, 90.0}, track{t0, true, {0, 0}};
    const RecordedFix noFix{t0, false};
    const auto later = [](RecordedFix fix, seconds by, GeoPoint place) {
        fix.at += by;
        fix.place = place;
        return fix;
    };
    const struct {
        RecordedFix last;
        std::optional<RecordedFix> next;
        milliseconds t;
        bool fix;
        double lon, knots, course;
    } rows[] = {
        {logged, later(logged, 2s, {0, 0.001}), 1s, true, 0.0005, 10, 90},
        {track, later(track, 2s, {0, 0.001}), 1s, true, 0.0005, kn, 90},
        {track, later(track, 2s, {0, -0.001}), 500ms, true, -0.00025, kn, 270},
        {logged, later(logged, 10s, {0, 0.001}), 5s, true, 0.0005, 10, 90},  // a gap of 10 s is no gap
        {logged, later(logged, 11s, {0, 0.001}), 1s, false, 0, 0, 0},
        {logged, later(logged, 11s, {0, 0.001}), 0s, true, 0, 10, 90},
        {noFix, later(logged, 2s, {0, 0.001}), 1s, false, 0, 0, 0},
        {logged, later(noFix, 2s, {0, 0.001}), 1s, true, 0, 10, 90},  // no way towards a place without a fix
        {track, std::nullopt, 0s, true, 0, 0, 0},
    };
    for (const auto& row : rows) {
        const Replayed r = ReplayedBetween(row.last, row.next ? &*row.next : nullptr, t0 + row.t);
        EXPECT_EQ(r.fix, row.fix) << row.t.count();
        EXPECT_NEAR(r.place.lon, row.lon, 1e-9) << row.t.count();
        EXPECT_NEAR(r.knots, row.knots, 1e-4) << row.t.count();
        EXPECT_NEAR(r.courseDeg, row.course, 1e-9) << row.t.count();
    }
    // At a logged instant, exactly the logged place.
    const RecordedFix tokyo{t0, true, {35.6870266666, 139.6883566666}}, on = later(tokyo, 2s, {35.6871, 139.6884});
    for (const auto& [t, place] : {std::pair{0s, tokyo.place}, std::pair{2s, on.place}}) {
        const GeoPoint got = ReplayedBetween(tokyo, &on, t0 + t).place;
        EXPECT_TRUE(got.lat == place.lat && got.lon == place.lon) << t.count();
    }
    // Read as it goes: what comes before the first fix is a time without
    // one; a record earlier than the one before is passed over; while the
    // reader has nothing yet the last place holds, up to a gap's length;
    // past the last the log has ended.
    using State = LogNext::State;
    const std::vector<LogNext> log{{State::Fix, noFix}, {State::Fix, later(logged, 1s, {0, 1})},
                                   {State::Fix, later(logged, 2s, {0, 2})}, {State::Fix, later(logged, 1s, {0, 9})},
                                   {State::Waiting}, {State::Fix, later(logged, 3s, {0, 3})}, {State::Waiting},
                                   {State::Waiting}, {State::Ended}};
    std::size_t read = 0;
    ReplayCursor cursor([&] { return read < log.size() ? log[read++] : LogNext{State::Ended}; });
    EXPECT_EQ(cursor.begin(), ReplayCursor::Start::Ready);
    EXPECT_EQ(read, 2u);  // two records held
    const struct {
        milliseconds t;
        ReplayCursor::At::State state;
        bool fix;
        double lon;
    } plays[] = {{0s, ReplayCursor::At::State::Playing, false, 0}, {1500ms, ReplayCursor::At::State::Playing, true, 1.5},
                 {2s, ReplayCursor::At::State::Waiting, true, 2}, {2500ms, ReplayCursor::At::State::Playing, true, 2.5},
                 {13s, ReplayCursor::At::State::Waiting, true, 3}, {14s, ReplayCursor::At::State::Waiting, false, 0},
                 {14s, ReplayCursor::At::State::Ended, false, 0}};
    for (const auto& play : plays) {
        const ReplayCursor::At at = cursor.at(play.t);
        EXPECT_EQ(at.state, play.state) << play.t.count();
        EXPECT_EQ(at.replayed.fix, play.fix) << play.t.count();
        EXPECT_NEAR(at.replayed.place.lon, play.lon, 1e-9) << play.t.count();
    }
    EXPECT_EQ(cursor.backwards(), 1);
    ReplayCursor none([&, first = true]() mutable {
        return std::exchange(first, false) ? LogNext{State::Fix, noFix} : LogNext{State::Ended};
    });
    EXPECT_EQ(none.begin(), ReplayCursor::Start::NoFix);
}

// Samples from receivers' manuals and from this program; checksums worked
// out by hand. A field is never taken at its length's word.
TEST(Replay, LogLines)
{
    const std::string longFraction =
        "$GPGGA,123519,4807.038" + std::string(5000, '0') + ",N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    const struct {
        std::string line;
        char kind;  // R, G, L: RMC, GGA, GLL with a fix, r, g, l without; or why it is passed over
        double lat = 0, lon = 0;
        const char* at = "";
    } rows[] = {
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62\r\n", 'R', -37.8608333, 145.1226667, "1998-09-13T08:18:36Z"},
        {"$GNRMC,235959.999,A,0000.00,N,17959.99,W,1.5,,010100,,,D*46", 'R', 0, -179.9998333, "2000-01-01T23:59:59.999Z"},
        {"$GNRMC,235959.999,A,0000.,N,17959.99,W,.5,,010100,,,D*77", 'R', 0, -179.9998333, "2000-01-01T23:59:59.999Z"},  // bare points
        {"$GPRMC,081836.5,A,3751.65,S,14507.36,E,,,130998,,,A*79", 'R', -37.8608333, 145.1226667, "1998-09-13T08:18:36.5Z"},
        {"$GPRMC,081836,A,451.65,S,14507.36,E,000.0,360.0,130998,011.3,E*52", 'R', -4.8608333, 145.1226667, "1998-09-13T08:18:36Z"},  // a short field, read as a consumer reads it
        {"\t$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E \t", 'R', -37.8608333, 145.1226667, "1998-09-13T08:18:36Z"},  // no checksum
        {"$GPRMC,045135.12,V,,,,,,,160910,,,N*77", 'r'},
        {"$GPRMC,,V,,,,,,,,,,N*53", 'r'},
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E,N*00", 'r'},  // mode N: no fix
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", 'G'},
        {"$GPGGA,045135.12,,,,,0,00,99.99,,M,,M,,*63", 'g'},
        {"$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C", 'L'},
        {"$GPGLL,4916.45,N,12311.12,W,225444,V,N*44", 'l'},
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*63", 'C'},
        {"$GPRMC,081836,A,3751.65,S,145", 'F'},
        {std::string("\x7f" "ELF\0\x01$*00", 11), 'F'},
        {"$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C", 'O'},
        {"$GPGSV,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1*55", 'O'},  // many fields, for what it is
        {"!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26", 'O'},
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0*2C", 'D'},  // no date
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,310298,011.3,E*69", 'D'},  // 31 February
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,nan,130998,011.3,E*28", 'D'},
        {"$GPRMC,081836,A,3751.65,S,14507.36,E,1001.0,360.0,130998,011.3,E*52", 'D'},  // faster than 1000 kn
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,*6B", 'G'},  // its last field missing
        {longFraction, 'G'},
    };
    for (const auto& row : rows) {
        const auto read = ReadLogLine(row.line);
        const auto* s = std::get_if<LogSentence>(&read);
        const auto* why = std::get_if<LogSkip>(&read);
        const std::pair<LogSkip, char> reasons[] = {{LogSkip::Checksum, 'C'}, {LogSkip::Framing, 'F'},
                                                    {LogSkip::Other, 'O'}, {LogSkip::Fields, 'D'}};
        char kind = s ? "lgr"[int(s->kind)] : '?';
        kind = s && s->fix ? char(kind - 'a' + 'A') : kind;
        for (const auto& [reason, letter] : reasons)
            kind = why && *why == reason ? letter : kind;
        EXPECT_EQ(kind, row.kind) << row.line;
        if (kind == 'R') {
            EXPECT_NEAR(s->place.lat, row.lat, 1e-7);
            EXPECT_NEAR(s->place.lon, row.lon, 1e-7);
            EXPECT_EQ(*s->date + *s->timeOfDay, At(row.at));
        }
    }
    // Fixes by time, from bytes as a receiver leaves them: GGA and GLL
    // alone make fixes; a binary frame before a sentence and line ends of
    // CR alone; RMC's place wins, and its fix stands beside a GGA of
    // quality 0; a loss with no time; the same time on the next date; a
    // last line with no line end. Counted from 23:59:58.
    NmeaLogFixes log;
    log.feed("$GPGGA,235958,0000.000,N,00000.000,E,1,08,1.0,5.0,M,0.0,M,,*7E\n"
             "$GPGLL,0000.000,N,00000.060,E,235959,A,A*40\r\n"
             "\xb5\x62\x01\x07\x00$GPRMC,000000,A,0000.000,N,00000.120,E,7.0,90.0,080126,,,A*40\r"
             "$GPGGA,000000,,,,,0,00,99.99,,M,,M,,*48\r"
             "$GPRMC,000001,A,0000.000,N,00000.180,E,7.0,90.0,080126,,,A*4B\r\n"
             "$GNGGA,000001,0000.000,N,00009.000,E,2,08,1.0,7.0,M,0.0,M,,*69\r\n$GPRMC,,V,,,,,,,,,,N*53\r\n"
             "$GPRMC,000005,A,0000.000,N,00000.300,E,7.0,90.0,080126,,,A\n"sv);
    log.feed("$GPRMC,000005,A,0000.000,N,00000.360,E,7.0,90.0,090126,,,A*42\n$GPRMC,000006,V,,,,,,,,,,N*55");
    log.finish();
    const struct {
        milliseconds after;
        bool fix;
        double lon;
        std::optional<double> altitude{};
    } fixes[] = {{0s, true, 0, 5.0}, {1s, true, 0.001}, {2s, true, 0.002}, {3s, true, 0.003, 7.0}, {3001ms, false, 0},
                 {7s, true, 0.005}, {86407s, true, 0.006}, {86408s, false, 0}};
    const UtcInstant first = log.take().value_or(RecordedFix{}).at;
    for (std::size_t i = 1; i < std::size(fixes); ++i) {
        const auto fix = log.take();
        ASSERT_TRUE(fix) << i;
        EXPECT_EQ(fix->at - first, fixes[i].after) << i;
        EXPECT_EQ(fix->valid, fixes[i].fix) << i;
        EXPECT_NEAR(fix->place.lon, fixes[i].lon, 1e-9) << i;
        EXPECT_EQ(fix->place.altitude, fixes[i].altitude) << i;
    }
    EXPECT_FALSE(log.take());
    EXPECT_EQ(log.counts().binaryBytes, 5);
    EXPECT_EQ(log.counts().unchecked, 1);
    // A line's text of 1 KiB is read; one byte more, with a sentence at its
    // end, is passed over whole.
    const std::string sentence = "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C";
    NmeaLogFixes lines;
    lines.feed(std::string(kLongestLogLine - sentence.size(), ' ') + sentence + "\n" +
               std::string(kLongestLogLine + 1 - sentence.size(), 'x') + sentence + "\n");
    lines.finish();
    EXPECT_TRUE(lines.take() && !lines.take());
    EXPECT_EQ(lines.counts().passedOver(), "1 longer than a sentence can be");
}
