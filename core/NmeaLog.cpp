#include "NmeaLog.hpp"

#include "Sentences.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace quilvex {
namespace {

using std::chrono::milliseconds;

constexpr std::size_t kMostFields = 24;  // more than any sentence read here has
using Fields = std::array<std::string_view, kMostFields>;

std::optional<int> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return std::nullopt;
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Digits only, as many as given; never more than fit.
std::optional<int> Whole(std::string_view s)
{
    int value = 0;
    if (!AllDigits(s) || std::from_chars(s.data(), s.data() + s.size(), value).ec != std::errc{})
        return std::nullopt;
    return value;
}

// "12.5", "-3.0": a plain finite decimal, the whole field.
std::optional<double> Decimal(std::string_view s)
{
    double value = 0;
    if (s.empty() || s.find_first_not_of("-.0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    if (ec != std::errc{} || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// An empty field is nothing; a bad one is an error.
std::optional<std::optional<double>> OptionalDecimal(std::string_view s)
{
    if (s.empty())
        return std::optional<double>{};
    if (const auto value = Decimal(s); value && *value >= 0)
        return value;
    return std::nullopt;
}

// "081836" or "081836.75": the time of day.
std::optional<milliseconds> TimeOfDay(std::string_view s)
{
    if (s.size() < 6 || (s.size() > 6 && (s[6] != '.' || !AllDigits(s.substr(7)))))
        return std::nullopt;
    const auto h = Whole(s.substr(0, 2)), m = Whole(s.substr(2, 2)), sec = Whole(s.substr(4, 2));
    if (!h || !m || !sec || *h > 23 || *m > 59 || *sec > 59)
        return std::nullopt;
    int ms = 0;
    for (std::size_t i = 7, scale = 100; i < s.size() && scale > 0; ++i, scale /= 10)
        ms += (s[i] - '0') * static_cast<int>(scale);
    return milliseconds(((*h * 60 + *m) * 60 + *sec) * 1000 + ms);
}

// "130998": a real date; two-digit years 80-99 are the 1900s, as GPS began.
std::optional<std::chrono::sys_days> Date(std::string_view s)
{
    if (s.size() != 6)
        return std::nullopt;
    const auto d = Whole(s.substr(0, 2)), m = Whole(s.substr(2, 2)), y = Whole(s.substr(4));
    if (!d || !m || !y)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{*y + (*y >= 80 ? 1900 : 2000)},
                                           std::chrono::month(static_cast<unsigned>(*m)),
                                           std::chrono::day(static_cast<unsigned>(*d))};
    if (!date.ok())
        return std::nullopt;
    return std::chrono::sys_days{date};
}

// "3751.65","S": degrees and minutes, degreeDigits of degrees, signed by
// the hemisphere.
std::optional<double> Angle(std::string_view s, std::string_view hemisphere, std::size_t degreeDigits,
                            std::string_view positiveNegative, double limit)
{
    const std::size_t point = s.find('.');
    if ((point == std::string_view::npos ? s.size() : point) != degreeDigits + 2 || hemisphere.size() != 1 ||
        positiveNegative.find(hemisphere[0]) == std::string_view::npos)
        return std::nullopt;
    const auto degrees = Whole(s.substr(0, degreeDigits));
    const auto minutes = Decimal(s.substr(degreeDigits));
    if (!degrees || !minutes || *minutes < 0 || *minutes >= 60 || *degrees + *minutes / 60 > limit)
        return std::nullopt;
    const double value = *degrees + *minutes / 60;
    return hemisphere[0] == positiveNegative[0] ? value : -value;
}

std::optional<GeoPoint> Place(const Fields& f, std::size_t lat)
{
    const auto latitude = Angle(f[lat], f[lat + 1], 2, "NS", 90);
    const auto longitude = Angle(f[lat + 2], f[lat + 3], 3, "EW", 180);
    if (!latitude || !longitude)
        return std::nullopt;
    return GeoPoint{*latitude, *longitude, std::nullopt};
}

// The body between "$" and "*", its checksum checked, split at commas.
std::variant<std::size_t, LogSkip> Split(std::string_view line, Fields& fields)
{
    line = line.substr(0, line.find_last_not_of(" \t\v\f\r\n") + 1);  // any trailing whitespace
    if (line.size() < 4 || (line[0] != '$' && line[0] != '!') || line[line.size() - 3] != '*')
        return LogSkip::Framing;
    const auto high = HexDigit(line[line.size() - 2]), low = HexDigit(line[line.size() - 1]);
    const std::string_view body = line.substr(1, line.size() - 4);
    if (!high || !low || body.find_first_of("$!*") != std::string_view::npos)
        return LogSkip::Framing;
    if (NmeaChecksum(body) != *high * 16 + *low)
        return LogSkip::Checksum;
    std::size_t count = 0;
    for (std::size_t from = 0; count < kMostFields; ++count) {
        const std::size_t comma = body.find(',', from);
        fields[count] = body.substr(from, comma - from);
        if (comma == std::string_view::npos)
            return count + 1;
        from = comma + 1;
    }
    return LogSkip::Fields;
}

// "$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62"
// v2.3 adds a mode after the variation, v4.1 a navigational status.
std::optional<LogRmc> Rmc(const Fields& f, std::size_t count)
{
    const auto time = TimeOfDay(f[1]);
    const auto date = Date(f[9]);
    if (count < 12 || count > 14 || !time || !date || (f[2] != "A" && f[2] != "V"))
        return std::nullopt;
    const bool valid = f[2] == "A" && (count < 13 || f[12] != "N");
    const auto place = Place(f, 3);
    const auto knots = OptionalDecimal(f[7]), course = OptionalDecimal(f[8]);
    if (valid && (!place || !knots || !course || course->value_or(0) > 360))
        return std::nullopt;
    if (!valid)
        return LogRmc{*time, *date, false, {}, {}, {}};
    return LogRmc{*time, *date, true, *place, *knots, course->has_value() ? std::fmod(**course, 360) : *course};
}

// "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"
std::optional<LogGga> Gga(const Fields& f, std::size_t count)
{
    const auto time = TimeOfDay(f[1]);
    const auto quality = Whole(f[6]);
    const auto satellites = f[7].empty() ? std::optional<int>(0) : Whole(f[7]);
    if (count != 15 || !time || !quality || !satellites)
        return std::nullopt;
    const auto altitude = f[9].empty() ? std::optional<double>() : Decimal(f[9]);
    if (*quality > 0 && (!Place(f, 2) || (!f[9].empty() && !altitude)))
        return std::nullopt;
    return LogGga{*time, *quality, *satellites, altitude};
}

}  // namespace

std::variant<LogRmc, LogGga, LogSkip> ReadLogLine(std::string_view line)
{
    Fields f;
    const auto split = Split(line, f);
    if (const auto* why = std::get_if<LogSkip>(&split))
        return *why;
    const std::size_t count = std::get<std::size_t>(split);
    const std::string_view address = f[0];
    const bool talker = address.size() == 5 && line[0] == '$' && address[0] != 'P';
    if (talker && address.ends_with("RMC")) {
        if (auto rmc = Rmc(f, count))
            return *rmc;
        return LogSkip::Fields;
    }
    if (talker && address.ends_with("GGA")) {
        if (auto gga = Gga(f, count))
            return *gga;
        return LogSkip::Fields;
    }
    return LogSkip::Other;
}

void LogSkips::count(LogSkip why)
{
    switch (why) {
    case LogSkip::Checksum: ++checksum; break;
    case LogSkip::Framing: ++framing; break;
    case LogSkip::Other: ++other; break;
    case LogSkip::Fields: ++fields; break;
    case LogSkip::Lone: ++lone; break;
    }
}

std::string LogSkips::text() const
{
    std::string text;
    const std::pair<long long, const char*> parts[] = {
        {checksum, " with a bad checksum"},
        {framing, " cut short or not a sentence"},
        {other, " neither RMC nor GGA"},
        {fields, " RMC or GGA with bad fields"},
        {lone, " GGA with no RMC at its time"},
    };
    for (const auto& [n, what] : parts)
        if (n > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(n) + what;
    return text;
}

std::optional<RecordedFix> NmeaLogFixes::add(std::string_view line)
{
    ++m_lines;
    if (line.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return std::nullopt;  // a blank line is no sentence to pass over
    auto read = ReadLogLine(line);
    if (const auto* why = std::get_if<LogSkip>(&read)) {
        m_skipped.count(*why);
        return std::nullopt;
    }
    const auto* rmc = std::get_if<LogRmc>(&read);
    const milliseconds time = rmc ? rmc->timeOfDay : std::get<LogGga>(read).timeOfDay;
    const auto epoch = m_rmc ? m_rmc->timeOfDay : m_gga ? m_gga->timeOfDay : time;
    std::optional<RecordedFix> closed = epoch != time ? close() : std::nullopt;
    if (rmc)
        m_rmc = *rmc;
    else
        m_gga = std::get<LogGga>(read);
    return closed;
}

std::optional<RecordedFix> NmeaLogFixes::finish()
{
    return close();
}

std::optional<RecordedFix> NmeaLogFixes::close()
{
    std::optional<RecordedFix> fix;
    if (m_rmc) {
        fix = RecordedFix{m_rmc->date + m_rmc->timeOfDay, m_rmc->valid && (!m_gga || m_gga->quality > 0),
                          m_rmc->place, m_rmc->knots, m_rmc->courseDeg};
        if (m_gga)
            fix->place.altitude = m_gga->altitude;
    } else if (m_gga) {
        m_skipped.count(LogSkip::Lone);
    }
    m_rmc.reset();
    m_gga.reset();
    return fix;
}

}  // namespace quilvex
