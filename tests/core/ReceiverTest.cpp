#include "InstantText.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "ReceiverTexts.hpp"
#include "Sentences.hpp"
#include "WorkedExample.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace quilvex;
using namespace std::chrono;

namespace {

constexpr double kDeg = std::numbers::pi / 180;
const SystemTimeRecord kUtc = SystemTimeAt(ParseUtcInstant("2010-09-16T04:51:35.127Z").value());

UtcInstant At(const char* text)
{
    return ParseUtcInstant(text).value();
}

}  // namespace

// Checksums and fields checked by hand and by an independent script; the
// DOPs of the first row recomputed from its GSV with another inversion.
TEST(Receiver, GoldenTicks)
{
    const struct {
        Receiver receiver;
        std::string_view bytes;
    } rows[] = {
        {{.format = NmeaFormat::Standard, .talker = Talker::GN, .position = GeoPoint{-33.8568, 151.2153, 58.0},
          .speedKnots = 12.4, .courseDeg = 45},
         kStandardExampleTick},
        {{.format = NmeaFormat::Standard, .fixLoss = {{0, 1}}}, kNoFixExampleTick},
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
    };
    for (const auto& row : rows) {
        const Tick tick = ComposeTick(row.receiver, kUtc, "13");
        EXPECT_EQ(JoinTick(tick), row.bytes);
        EXPECT_EQ(tick.skyFrom, 6u);
        EXPECT_LE(JoinTick(tick).size(), WidestStandardTick().whole);
    }
    // 633 bytes need 7034 bit/s; with one GSV sentence, 423 go at 4800.
    EXPECT_TRUE(WidestStandardTick().whole == 633 && WidestStandardTick().withOneGsv == 423);
    EXPECT_TRUE(!CarriesWholeStandardTick(7033) && CarriesWholeStandardTick(7034));
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

// 12 kn is 6.1733 m/s, 5.5518e-5 deg of arc on the mean sphere.
TEST(Receiver, Motion)
{
    const struct {
        std::optional<GeoPoint> from;
        double knots, course;
        long long seconds;
        GeoPoint to;
        double courseAfter;
    } rows[] = {
        {GeoPoint{0, 179.99999}, 12, 90, 1, {0, -179.9999545}, 90},
        {GeoPoint{89.99999, 10}, 12, 0, 1, {89.9999545, -170}, 180},
        {GeoPoint{-89.99999, -100}, 12, 180, 1, {-89.9999545, 80}, 0},
        // 8.074772 rad = 462.65036 deg north from the equator: over both
        // poles and the north one again, 12.65036 deg down the far side.
        {GeoPoint{0, 20}, 1000, 0, 100'000, {77.34964, -160}, 180},
        {std::nullopt, 0, 0, 5, {}, 0},  // unmoved: still the seat, its texts sent as they stand
    };
    for (const auto& row : rows) {
        const Receiver r =
            AdvancedTo({.position = row.from, .speedKnots = row.knots, .courseDeg = row.course}, row.seconds);
        EXPECT_EQ(r.position.has_value(), row.from.has_value());
        const GeoPoint at = r.position.value_or(row.to);
        EXPECT_NEAR(at.lat, row.to.lat, 1e-5);
        EXPECT_NEAR(at.lon, row.to.lon, 1e-5);
        EXPECT_EQ(r.courseDeg, row.courseAfter);
    }
    // From the seat, metres north and east on the mean sphere.
    const GeoPoint moved = *AdvancedTo({.speedKnots = 12, .courseDeg = 45}, 1).position;
    const double north = (moved.lat - (35 + 41.2216 / 60)) * kDeg * 6'371'008.8;
    const double east = (moved.lon - (139 + 41.3014 / 60)) * kDeg * 6'371'008.8 * std::cos(moved.lat * kDeg);
    EXPECT_NEAR(std::hypot(north, east), 6.1733, 1e-3);
    EXPECT_NEAR(north, east, 1e-5);

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
        {"99999999999999999999+1", 0, 0, 0, 0},
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
