#include "Receiver.hpp"

#include "Angles.hpp"
#include "Geodesy.hpp"
#include "PrefectureTable.hpp"
#include "NumberText.hpp"
#include "Orbits.hpp"
#include "Sentences.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quilvex {
namespace {

const PrefectureRow& SeatOf(const Receiver& r)
{
    return PrefectureTable[r.slot >= kFirstSlot && r.slot <= kLastSlot ? r.slot : 0];
}

// "3541.221600" -> 35.687026...: the number a seat's text stands for.
double DegreesOfText(std::string_view text, std::size_t degreeDigits)
{
    if (text.size() <= degreeDigits)
        return 0;
    const double degrees = DecimalValue(text.substr(0, degreeDigits), kPlainDecimal).value_or(0);
    const double minutes = DecimalValue(text.substr(degreeDigits), kPlainDecimal).value_or(0);
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
        const double seconds = std::chrono::duration<double>(r.sinceFirst).count();
        const Route::Position p = r.route->at(r.speedKnots * kKnot * seconds);
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
    // Whole metres from 10 km up keep the classic GGA within 82 characters.
    constexpr double kWholeMetresFrom = 10000;
    const std::string altitude = p.altitude ? Decimal(*p.altitude, std::abs(*p.altitude) < kWholeMetresFrom ? 1 : 0) : "0";
    std::string vtg = ComposeVTG(), rmc = ComposeRMC(t, place.texts());
    if (moving) {
        const std::string course = CourseText(m.courseDeg, 0);
        vtg = ComposeVTG(course, course, Decimal(m.knots, 1), Decimal(m.knots * 1.852, 1));
        rmc = ComposeRMC(t, place.texts(), Decimal(m.knots, 1, 5), CourseText(m.courseDeg, 5));
    }
    return {ComposeZDA(t), ComposeGGA(t, place.texts(), altitude), ComposeGLL(t, place.texts()),
            std::move(vtg), std::move(rmc), ComposeGSA("3", {}, "0,0,0")};
}

std::string DopText(double dop)
{
    return Decimal(std::min(dop, 99.99), 2);
}

// One satellite of the standard sky: where it is, and how its system's
// sentences carry it (its number in the dialect, whole degrees).
struct SkySatellite {
    Constellation system;
    SatelliteInView seen;
    GsvSatellite sent;
    bool used = false;
};

// The sky of every system tracked; nothing is tracked without a fix.
std::vector<SkySatellite> SkyOf(const Receiver& r, NmeaDialect dialect, UtcInstant instant)
{
    const GeoPoint place = MotionOf(r).place;
    const bool fix = HasFix(r);
    std::vector<SkySatellite> sky;
    for (const Constellation system : r.systems) {
        const int offset = NamingOf(system, dialect).numberOffset;
        for (const SatelliteInView& s : SatellitesInView(place, instant, system)) {
            const int el = static_cast<int>(std::lround(s.elevation));
            const int snr = fix ? static_cast<int>(std::lround(30 + 20 * std::sin(el * kDeg))) : 0;
            sky.push_back({system, s, {s.prn + offset, el, static_cast<int>(std::lround(s.azimuth)) % 360, snr}});
        }
    }
    return sky;
}

// In each time system the twelve highest are used (one GSA's fields; GPS
// and QZSS share theirs): the channels a fix takes.
constexpr std::size_t kUsedPerClock = 12;
// GGA counts at most this many, as u-blox modules do (0-12 in their
// descriptions), whatever the GSAs list.
constexpr std::size_t kMostInGga = 12;

void ChooseUsed(std::vector<SkySatellite>& sky)
{
    for (int clock = 0; clock < kClockGroups; ++clock) {
        std::vector<SkySatellite*> group;
        for (SkySatellite& s : sky)
            if (ClockOf(s.system) == clock)
                group.push_back(&s);
        std::stable_sort(group.begin(), group.end(),
                         [](const SkySatellite* a, const SkySatellite* b) { return a->sent.elevation > b->sent.elevation; });
        for (std::size_t i = 0; i < std::min(group.size(), kUsedPerClock); ++i)
            group[i]->used = true;
    }
}

// The fix as the sentences before the sky carry it.
struct FixTexts {
    Place place;
    std::string altitude, knots, course, kmh;
    std::size_t used;
    std::string hdop, dops;
};

// The sentences of a standard tick, framed, and where the sky starts.
// `firstOfSecond`: with ZDA and the GSV groups, which go once a second.
void ComposeStandard(const Receiver& r, NmeaDialect dialect, const TimeTexts& t, const std::optional<FixTexts>& fix,
                     const std::vector<SkySatellite>& sky, Tick& tick, bool firstOfSecond = true)
{
    const bool v23 = dialect == NmeaDialect::V23;
    const std::string talker = !v23 || r.talker == Talker::GN ? "GN" : "GP";
    const auto send = [&](std::string_view sentenceTalker, const std::string& body) {
        tick.sentences.push_back(FrameSentence(std::string(sentenceTalker) + body));
    };
    const std::string navStatus = v23 ? "" : ",V";  // not providing a navigational status, as u-blox sends
    if (firstOfSecond)
        send(talker, ComposeStandardZDA(t));
    if (fix) {
        const PlaceTexts place = fix->place.texts();
        send(talker, ComposeStandardGGA(t, place, fix->used, fix->hdop, fix->altitude));
        send(talker, ComposeGLL(t, place));
        send(talker, ComposeVTG(fix->course, "", fix->knots, fix->kmh));
        send(talker, ComposeRMC(t, place, fix->knots, fix->course, ",") + navStatus);
    } else {
        send(talker, ComposeNoFixGGA(t));
        send(talker, ComposeNoFixGLL(t));
        send(talker, ComposeNoFixVTG());
        send(talker, ComposeNoFixRMC(t) + navStatus);
    }
    // One GSA for each system ID, in its order, listing its used satellites by number.
    int lastId = -1;
    for (;;) {
        int id = -1;
        for (const Constellation system : r.systems) {
            const int candidate = NamingOf(system, dialect).systemId;
            if (candidate > lastId && (id < 0 || candidate < id))
                id = candidate;
        }
        if (id < 0)
            break;
        std::vector<int> numbers;
        for (const SkySatellite& s : sky)
            if (s.used && NamingOf(s.system, dialect).systemId == id)
                numbers.push_back(s.sent.prn);
        std::sort(numbers.begin(), numbers.end());
        send(talker, fix ? ComposeGSA("3", numbers, fix->dops, id) : ComposeGSA("1", {}, kNoFixDops, id));
        lastId = id;
    }
    tick.skyFrom = tick.sentences.size();
    if (!firstOfSecond)
        return;
    // One GSV group for each talker, in the systems' order, by number.
    std::vector<std::string_view> talkers;
    for (const Constellation system : r.systems) {
        const SystemNaming naming = NamingOf(system, dialect);
        if (std::find(talkers.begin(), talkers.end(), naming.talker) != talkers.end())
            continue;
        talkers.push_back(naming.talker);
        std::vector<GsvSatellite> group;
        for (const SkySatellite& s : sky)
            if (NamingOf(s.system, dialect).talker == naming.talker)
                group.push_back(s.sent);
        std::stable_sort(group.begin(), group.end(), [](const auto& a, const auto& b) { return a.prn < b.prn; });
        for (const std::string& body : ComposeGSVGroup(group, naming.signalId))
            send(naming.talker, body);
    }
}

Tick StandardTick(const Receiver& r, UtcInstant instant, const TimeTexts& t, bool firstOfSecond)
{
    const NmeaDialect dialect = SpokenDialect(r.systems, r.dialect);
    std::vector<SkySatellite> sky = SkyOf(r, dialect, instant);
    Tick tick;
    tick.fix = HasFix(r);
    tick.widest = WidestStandardTick(r.systems, r.dialect);
    std::optional<FixTexts> fix;
    if (tick.fix) {
        ChooseUsed(sky);
        std::vector<SkyDirection> directions;
        for (const SkySatellite& s : sky)
            if (s.used)
                directions.push_back({s.sent.elevation, s.sent.azimuth, ClockOf(s.system)});
        const Dop dop = DilutionOfPrecision(directions).value_or(Dop{99.99, 99.99, 99.99});
        tick.sky.dop = dop;
        const Motion m = MotionOf(r);
        const GeoPoint& p = m.place;
        const std::string knots = Decimal(m.knots, 1);
        // The knots as sent, in km/h to a thousandth: both read back as one speed.
        const double sentKnots = DecimalValue(knots, kSignedDecimal).value_or(0);
        const std::string hdop = DopText(dop.hdop);
        fix = FixTexts{FormattedPlace(p, 5), Decimal(p.altitude.value_or(0), 1), knots, CourseText(m.courseDeg, 0),
                       Decimal(sentKnots * 1.852, 3), std::min(directions.size(), kMostInGga), hdop,
                       DopText(dop.pdop).append(",").append(hdop).append(",").append(DopText(dop.vdop))};
    }
    for (const SkySatellite& s : sky)
        tick.sky.satellites.push_back({s.system, s.seen.prn, s.seen.elevation, s.seen.azimuth, s.sent.snr, s.used});
    ComposeStandard(r, dialect, t, fix, sky, tick, firstOfSecond);
    return tick;
}

// The most satellites in view the widest tick reckons with: today's sixteen
// for GPS (four GSV sentences), else every satellite of the system.
std::size_t MostInViewOf(Constellation system)
{
    return system == Constellation::Gps ? 16 : OrbitsOf(system).satellites.size();
}

// The widest number a system's satellites take: two digits, or three for
// QZSS in 4.10.
int WidestOwnNumber(Constellation system)
{
    return system == Constellation::Qzss ? 202 : system == Constellation::Glonass ? 24 : 32;
}

}  // namespace

bool HasFix(const Receiver& r)
{
    // A receiver that cannot say where it is has no fix to report.
    if (r.fixSwitchedOff || (r.replay && !r.replay->fix) || (!r.position && !r.route && !r.replay && SeatOf(r).name.empty()))
        return false;
    return std::none_of(r.fixLoss.begin(), r.fixLoss.end(), [&](const FixLossWindow& w) {
        return RunSecond(r) >= w.after && RunSecond(r) - w.after < w.length;
    });
}

long long RunSecond(const Receiver& r)
{
    return std::chrono::floor<std::chrono::seconds>(r.sinceFirst).count();
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

Receiver AdvancedTo(Receiver r, std::chrono::milliseconds sinceFirst)
{
    const double elapsed = std::chrono::duration<double>(sinceFirst - r.sinceFirst).count();
    r.sinceFirst = sinceFirst;
    // A route or a replay gives the place for each epoch afresh.
    if (elapsed > 0 && r.speedKnots > 0 && !r.route && !r.replay) {
        const double metres = r.speedKnots * kKnot * elapsed;
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

GeoPoint PlaceNow(const Receiver& r)
{
    return MotionOf(r).place;
}

Tick ComposeTick(const Receiver& r, const TickTime& time, bool firstOfSecond)
{
    const TimeTexts& t = time.texts;
    if (r.format == NmeaFormat::Standard)
        return StandardTick(r, time.instant, t, firstOfSecond);
    const std::string talker = r.talker == Talker::GN ? "GN" : "GP";
    Tick tick;
    tick.fix = HasFix(r);
    for (const std::string& body : ClassicBodies(r, t))
        tick.sentences.push_back(FrameSentence(talker + body));
    tick.skyFrom = tick.sentences.size();
    return tick;
}

namespace {

// Worked out from scratch: what the table below holds.
TickLength WidestOf(const Constellations& systems, NmeaDialect asked)
{
    const NmeaDialect dialect = SpokenDialect(systems, asked);
    const Receiver r{.format = NmeaFormat::Standard, .talker = Talker::GN, .systems = systems, .dialect = asked};
    const TimeTexts t{"9999", "12", "31", "23", "59", "59", "99", "23"};
    std::vector<SkySatellite> sky;
    for (const Constellation system : systems) {
        const int number = WidestOwnNumber(system) + NamingOf(system, dialect).numberOffset;
        for (std::size_t i = 0; i < MostInViewOf(system); ++i)
            sky.push_back({system, {}, {number, 90, 359, 50}});
    }
    ChooseUsed(sky);
    std::size_t used = 0;
    for (const SkySatellite& s : sky)
        used += s.used ? 1 : 0;
    const FixTexts fix{{"9000.00000", "S", "18000.00000", "W"}, "100000.0", "1000.0", "359.9", "1852.000",
                       std::min(used, kMostInGga), "99.99", "99.99,99.99,99.99"};
    Tick tick;
    ComposeStandard(r, dialect, t, fix, sky, tick);
    std::size_t before = 0, whole = 0, longest = 0;
    for (std::size_t i = 0; i < tick.size(); ++i) {
        if (i < tick.skyFrom)
            before += tick[i].size();
        else
            longest = std::max(longest, tick[i].size());
        whole += tick[i].size();
    }
    Tick later;
    ComposeStandard(r, dialect, t, fix, sky, later, false);
    return {whole, before + longest, JoinTick(later).size()};
}

}  // namespace

TickLength WidestStandardTick(const Constellations& systems, NmeaDialect asked)
{
    // Every set of systems in every dialect, once: a tick only looks its settings up.
    constexpr std::size_t kSets = std::size_t{1} << kConstellations.size();
    constexpr std::array kDialects{NmeaDialect::V23, NmeaDialect::V410, NmeaDialect::V411};
    static const auto table = [&] {
        std::array<TickLength, kSets * kDialects.size()> all{};
        for (std::size_t set = 0; set < kSets; ++set) {
            Constellations these;
            for (std::size_t i = 0; i < kConstellations.size(); ++i)
                if (set & (std::size_t{1} << i))
                    these.insert(kConstellations[i]);
            for (std::size_t d = 0; d < kDialects.size(); ++d)
                all[set * kDialects.size() + d] = WidestOf(these, kDialects[d]);
        }
        return all;
    }();
    std::size_t set = 0;
    for (const Constellation system : systems)
        set |= std::size_t{1} << static_cast<std::size_t>(system);
    return table[set * kDialects.size() + static_cast<std::size_t>(asked)];
}

Tick ComposeTick(const Receiver& receiver, const SystemTimeRecord& utc, std::string_view localHour, bool firstOfSecond)
{
    return ComposeTick(receiver, TickTimeOf(utc, std::string(localHour)), firstOfSecond);
}

Tick ComposeTickNow(const Receiver& receiver)
{
    ReadUtcTime();
    return ComposeTick(receiver, SysTime, ReadLocalHourText());
}

Tick ComposeTickAt(const Receiver& receiver, UtcInstant instant, bool firstOfSecond)
{
    return ComposeTick(receiver, TickTimeAt(instant), firstOfSecond);
}

}  // namespace quilvex
