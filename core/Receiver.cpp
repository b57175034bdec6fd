#include "Receiver.hpp"

#include "Geodesy.hpp"
#include "PrefectureTable.hpp"
#include "Sentences.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace quilvex {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

const PrefectureRow& SeatOf(const Receiver& r)
{
    return PrefectureTable[r.slot >= kFirstSlot && r.slot <= kLastSlot ? r.slot : 0];
}

// "3541.221600" -> 35.687026...: the number a seat's text stands for.
double DegreesOfText(std::string_view text, std::size_t degreeDigits)
{
    double degrees = 0, minutes = 0;
    if (text.size() > degreeDigits) {
        std::from_chars(text.data(), text.data() + degreeDigits, degrees);
        std::from_chars(text.data() + degreeDigits, text.data() + text.size(), minutes);
    }
    return degrees + minutes / 60;
}

GeoPoint PlaceOf(const Receiver& r)
{
    if (r.position)
        return *r.position;
    const PrefectureRow& seat = SeatOf(r);
    return {DegreesOfText(seat.lat, 2), DegreesOfText(seat.lon, 3), std::nullopt};
}

// Where the receiver is this second and how it goes.
struct Motion {
    GeoPoint place;
    double knots, courseDeg;
};

Motion MotionOf(const Receiver& r)
{
    if (r.replay)
        return {r.replay->place, r.replay->knots, r.replay->courseDeg};
    if (r.route) {
        const Route::Position p = r.route->at(r.speedKnots * kKnot * static_cast<double>(r.second));
        return {p.place, p.arrived ? 0 : r.speedKnots, p.courseDeg};
    }
    return {PlaceOf(r), r.speedKnots, r.courseDeg};
}

std::string Padded(long long value, std::size_t width)
{
    const std::string digits = std::to_string(value);
    std::string text(width > digits.size() ? width - digits.size() : 0, '0');
    return text += digits;
}

// Fixed-point text, the whole part padded with zeros to `width` characters
// in all; never "-0.0".
std::string Decimal(double value, int decimals, std::size_t width = 0)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    std::string text(buffer, end);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    if (text.front() != '-' && text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

// A true course to a tenth, never "360.0".
std::string CourseText(double deg, std::size_t width)
{
    const double tenths = std::round(deg * 10);
    return Decimal(tenths >= 3600 ? 0 : tenths / 10, 1, width);
}

// "ddmm.mmmmm": minutes rounded, and a carry into the degrees where it comes
// to sixty.
std::string DegreesMinutes(double degrees, std::size_t degreeDigits, int fractionDigits)
{
    long long scale = 1;
    for (int i = 0; i < fractionDigits; ++i)
        scale *= 10;
    const long long units = std::llround(std::abs(degrees) * 60 * static_cast<double>(scale));
    std::string text = Padded(units / (60 * scale), degreeDigits);
    text += Padded(units / scale % 60, 2);
    text += '.';
    return text += Padded(units % scale, static_cast<std::size_t>(fractionDigits));
}

struct Place {
    std::string lat, ns, lon, ew;
    PlaceTexts texts() const { return {lat, ns, lon, ew}; }
};

Place FormattedPlace(const GeoPoint& p, int fractionDigits)
{
    std::string lat = DegreesMinutes(p.lat, 2, fractionDigits), lon = DegreesMinutes(p.lon, 3, fractionDigits);
    // What rounds to zero is neither south nor west.
    const bool south = p.lat < 0 && lat.find_first_not_of("0.") != std::string::npos;
    const bool west = p.lon < 0 && lon.find_first_not_of("0.") != std::string::npos;
    return {std::move(lat), south ? "S" : "N", std::move(lon), west ? "W" : "E"};
}

std::vector<std::string> NoFixBodies(std::string zda, const TimeTexts& t)
{
    return {std::move(zda),      ComposeNoFixGGA(t), ComposeNoFixGLL(t),
            ComposeNoFixVTG(),   ComposeNoFixRMC(t), ComposeGSA("1", {}, kNoFixDops)};
}

std::vector<std::string> ClassicBodies(const Receiver& r, const TimeTexts& t)
{
    if (!HasFix(r))
        return NoFixBodies(ComposeZDA(t), t);
    const Motion m = MotionOf(r);
    const bool moving = m.knots > 0;
    const GeoPoint& p = m.place;
    const PrefectureRow& seat = SeatOf(r);
    // Still at the seat: its texts as they stand.
    const Place place = r.position || r.route || r.replay || moving
                            ? FormattedPlace(p, 6)
                            : Place{std::string(seat.lat), "N", std::string(seat.lon), "E"};
    const std::string altitude = p.altitude ? Decimal(*p.altitude, 1) : "0";
    std::string vtg = ComposeVTG(), rmc = ComposeRMC(t, place.texts());
    if (moving) {
        const std::string course = CourseText(m.courseDeg, 0);
        vtg = ComposeVTG(course, course, Decimal(m.knots, 1), Decimal(m.knots * 1.852, 1));
        rmc = ComposeRMC(t, place.texts(), Decimal(m.knots, 1, 5), CourseText(m.courseDeg, 5));
    }
    return {ComposeZDA(t), ComposeGGA(t, place.texts(), altitude), ComposeGLL(t, place.texts()),
            std::move(vtg), std::move(rmc), ComposeGSA("3", {}, "0,0,0")};
}

UtcInstant InstantOf(const SystemTimeRecord& utc)
{
    using namespace std::chrono;
    return sys_days{year{utc.wYear} / month{utc.wMonth} / day{utc.wDay}} + hours{utc.wHour} +
           minutes{utc.wMinute} + seconds{utc.wSecond} + milliseconds{utc.wMilliseconds};
}

std::string DopText(double dop)
{
    return Decimal(std::min(dop, 99.99), 2);
}

// The sky in whole degrees, as GSV carries it; nothing is tracked without a fix.
std::vector<GsvSatellite> SkyOf(const Receiver& r, const SystemTimeRecord& utc)
{
    std::vector<GsvSatellite> sky;
    for (const SatelliteInView& s : SatellitesInView(MotionOf(r).place, InstantOf(utc))) {
        const int el = static_cast<int>(std::lround(s.elevation));
        const int snr = HasFix(r) ? static_cast<int>(std::lround(30 + 20 * std::sin(el * kDeg))) : 0;
        sky.push_back({s.prn, el, static_cast<int>(std::lround(s.azimuth)) % 360, snr});
    }
    return sky;
}

std::vector<std::string> StandardBodies(const Receiver& r, const TimeTexts& t, const std::vector<GsvSatellite>& sky,
                                        TickSky& report)
{
    for (const GsvSatellite& s : sky)
        report.satellites.push_back({Constellation::Gps, s.prn, static_cast<double>(s.elevation),
                                     static_cast<double>(s.azimuth), s.snr, false});
    if (!HasFix(r))
        return NoFixBodies(ComposeStandardZDA(t), t);

    // The twelve highest are used; listed by PRN.
    std::vector<GsvSatellite> used = sky;
    std::stable_sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.elevation > b.elevation; });
    used.resize(std::min<std::size_t>(used.size(), 12));
    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.prn < b.prn; });
    std::vector<int> prns;
    std::vector<SkyDirection> directions;
    for (const GsvSatellite& s : used) {
        prns.push_back(s.prn);
        directions.push_back({s.elevation, s.azimuth});
    }
    const Dop dop = DilutionOfPrecision(directions).value_or(Dop{99.99, 99.99, 99.99});
    report.dop = dop;
    for (TrackedSatellite& s : report.satellites)
        s.used = std::binary_search(prns.begin(), prns.end(), s.prn);
    const std::string hdop = DopText(dop.hdop);
    const std::string dops = DopText(dop.pdop).append(",").append(hdop).append(",").append(DopText(dop.vdop));

    const Motion m = MotionOf(r);
    const GeoPoint& p = m.place;
    const Place place = FormattedPlace(p, 5);
    const std::string knots = Decimal(m.knots, 1), course = CourseText(m.courseDeg, 0);
    // The knots as sent, in km/h to a thousandth: both read back as one speed.
    double sentKnots = 0;
    std::from_chars(knots.data(), knots.data() + knots.size(), sentKnots);
    const std::string kmh = Decimal(sentKnots * 1.852, 3);
    return {ComposeStandardZDA(t),
            ComposeStandardGGA(t, place.texts(), prns.size(), hdop, Decimal(p.altitude.value_or(0), 1)),
            ComposeGLL(t, place.texts()),
            ComposeVTG(course, "", knots, kmh),
            ComposeRMC(t, place.texts(), knots, course, ","),
            ComposeGSA("3", prns, dops)};
}

}  // namespace

bool HasFix(const Receiver& r)
{
    // A receiver that cannot say where it is has no fix to report.
    if (r.fixSwitchedOff || (r.replay && !r.replay->fix) || (!r.position && !r.route && !r.replay && SeatOf(r).name.empty()))
        return false;
    return std::none_of(r.fixLoss.begin(), r.fixLoss.end(), [&](const FixLossWindow& w) {
        return r.second >= w.after && r.second - w.after < w.length;
    });
}

long long FixLossEnd(const std::vector<FixLossWindow>& windows, long long second)
{
    // A window moves the second past its end at most once, so one pass per
    // window finds the end of any chain of them.
    for (std::size_t pass = 0; pass < windows.size(); ++pass) {
        for (const FixLossWindow& w : windows) {
            if (second >= w.after && second - w.after < w.length)
                second = w.after + std::min(w.length, std::numeric_limits<long long>::max() - w.after);
        }
    }
    return second;
}

Receiver AdvancedTo(Receiver r, long long second)
{
    const long long elapsed = second - r.second;
    r.second = second;
    // A route or a replay gives the place for each second afresh.
    if (elapsed > 0 && r.speedKnots > 0 && !r.route && !r.replay) {
        const double metres = r.speedKnots * kKnot * static_cast<double>(elapsed);
        return Moved(std::move(r), metres);
    }
    return r;
}

Receiver Moved(Receiver r, double metres)
{
    const Heading h = AlongRhumb(PlaceOf(r), r.courseDeg, metres);
    r.position = h.place;
    r.courseDeg = h.courseDeg;
    return r;
}

Tick ComposeTick(const Receiver& r, const SystemTimeRecord& utc, std::string_view localHour)
{
    const TimeTexts t = MakeTimeTexts(utc, std::string(localHour));
    const bool standard = r.format == NmeaFormat::Standard;
    const std::vector<GsvSatellite> sky = standard ? SkyOf(r, utc) : std::vector<GsvSatellite>{};
    const std::string talker = r.talker == Talker::GN ? "GN" : "GP";
    Tick tick;
    tick.fix = HasFix(r);
    for (const std::string& body : standard ? StandardBodies(r, t, sky, tick.sky) : ClassicBodies(r, t))
        tick.sentences.push_back(FrameSentence(talker + body));
    tick.skyFrom = tick.sentences.size();
    if (standard) {
        for (const std::string& body : ComposeGSVGroup(sky))  // GPS satellites: GP whatever the talker
            tick.sentences.push_back(FrameSentence("GP" + body));
    }
    return tick;
}

Tick ComposeTickNow(const Receiver& receiver)
{
    ReadUtcTime();
    return ComposeTick(receiver, SysTime, ReadLocalHourText());
}

Tick ComposeTickAt(const Receiver& receiver, UtcInstant instant)
{
    return ComposeTick(receiver, SystemTimeAt(instant), LocalHourTextAt(instant));
}

}  // namespace quilvex
