#include "NmeaLog.hpp"

#include "NumberText.hpp"
#include "ReceiverTexts.hpp"
#include "SettingRules.hpp"
#include "Sentences.hpp"

#include <algorithm>
#include <array>
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
    return WholeValue<int>(s);
}

// "12.5", "-3.0": a plain finite decimal, the whole field.
std::optional<double> Decimal(std::string_view s)
{
    return DecimalValue(s, kFieldDecimal);
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

// "3751.65","S": ddmm.mm read as a number, as consumers read it, so a
// receiver's short or long fields ("451.65", "04807.038") keep their value;
// minutes under 60, signed by the hemisphere.
std::optional<double> Angle(std::string_view s, std::string_view hemisphere, std::string_view positiveNegative,
                            double limit)
{
    if (s.find('-') != std::string_view::npos || hemisphere.size() != 1 ||
        positiveNegative.find(hemisphere[0]) == std::string_view::npos)
        return std::nullopt;
    const auto value = Decimal(s);
    if (!value)
        return std::nullopt;
    const double degrees = std::floor(*value / 100), minutes = *value - degrees * 100;
    if (minutes >= 60 || degrees + minutes / 60 > limit)
        return std::nullopt;
    return hemisphere[0] == positiveNegative[0] ? degrees + minutes / 60 : -(degrees + minutes / 60);
}

std::optional<GeoPoint> Place(const Fields& f, std::size_t lat)
{
    const auto latitude = Angle(f[lat], f[lat + 1], "NS", 90);
    const auto longitude = Angle(f[lat + 2], f[lat + 3], "EW", 180);
    if (!latitude || !longitude)
        return std::nullopt;
    return GeoPoint{*latitude, *longitude, std::nullopt};
}

// An empty time is a receiver's with none yet; a bad one is an error.
std::optional<std::optional<milliseconds>> OptionalTime(std::string_view s)
{
    if (s.empty())
        return std::optional<milliseconds>{};
    if (const auto time = TimeOfDay(s))
        return time;
    return std::nullopt;
}

using Kind = LogSentence::Kind;

// The sentences read here, by the end of their address.
std::optional<Kind> KindOf(std::string_view address, char start)
{
    const bool talker = address.size() == 5 && start == '$' && address[0] != 'P';
    for (const auto& [end, kind] : {std::pair{"RMC", Kind::Rmc}, {"GGA", Kind::Gga}, {"GLL", Kind::Gll}})
        if (talker && address.ends_with(end))
            return kind;
    return std::nullopt;
}

// "$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62"
// v2.3 adds a mode after the variation, v4.1 a navigational status.
std::optional<LogSentence> Rmc(const Fields& f, std::size_t count)
{
    constexpr std::size_t kMode = 12;
    if (count < 10 || (f[2] != "A" && f[2] != "V"))
        return std::nullopt;
    const auto time = OptionalTime(f[1]);
    const auto date = f[9].empty() ? std::optional<std::chrono::sys_days>() : Date(f[9]);
    if (!time || (!f[9].empty() && !date))
        return std::nullopt;
    LogSentence s{Kind::Rmc, *time, date};
    s.fix = f[2] == "A" && (count <= kMode || f[kMode] != "N");
    if (!s.fix)
        return s;
    const auto place = Place(f, 3);
    const auto knots = OptionalDecimal(f[7]), course = OptionalDecimal(f[8]);
    if (!*time || !place || !knots || !course || knots->value_or(0) > kSpeedRange.high || course->value_or(0) > 360)
        return std::nullopt;
    s.place = *place;
    s.knots = *knots;
    s.courseDeg = course->has_value() ? std::optional(std::fmod(**course, 360)) : std::nullopt;
    return s;
}

// "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"
std::optional<LogSentence> Gga(const Fields& f, std::size_t count)
{
    constexpr std::size_t kAltitude = 9;
    const auto time = OptionalTime(f[1]);
    const auto quality = f[6].empty() ? std::optional<int>(0) : Whole(f[6]);
    if (count <= kAltitude || !time || !quality)
        return std::nullopt;
    LogSentence s{Kind::Gga, *time, {}};
    s.fix = *quality > 0;
    if (!s.fix)
        return s;
    const auto place = Place(f, 2);
    const auto altitude = f[kAltitude].empty() ? std::optional<double>() : Decimal(f[kAltitude]);
    if (!*time || !place || (!f[kAltitude].empty() && (!altitude || !kAltitudeRange.holds(*altitude))))
        return std::nullopt;
    s.place = *place;
    s.place.altitude = altitude;
    return s;
}

// "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C"; v2.3 adds the mode.
std::optional<LogSentence> Gll(const Fields& f, std::size_t count)
{
    constexpr std::size_t kMode = 7;
    const auto time = OptionalTime(f[5]);
    if (count < 7 || !time || (f[6] != "A" && f[6] != "V"))
        return std::nullopt;
    LogSentence s{Kind::Gll, *time, {}};
    s.fix = f[6] == "A" && (count <= kMode || f[kMode] != "N");
    if (!s.fix)
        return s;
    const auto place = Place(f, 1);
    if (!*time || !place)
        return std::nullopt;
    s.place = *place;
    return s;
}

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

}  // namespace

std::variant<LogSentence, LogSkip> ReadLogLine(std::string_view line)
{
    while (!line.empty() && Blank(line.back()))
        line.remove_suffix(1);
    while (!line.empty() && Blank(line.front()))
        line.remove_prefix(1);
    if (line.size() < 2 || (line[0] != '$' && line[0] != '!'))
        return LogSkip::Framing;
    // "*hh" at the end, or no checksum at all.
    const bool checked = line.size() >= 4 && line[line.size() - 3] == '*';
    const std::string_view body = line.substr(1, line.size() - (checked ? 4 : 1));
    if (body.find_first_of("$!*") != std::string_view::npos)
        return LogSkip::Framing;
    if (checked) {
        const auto high = HexDigit(line[line.size() - 2]), low = HexDigit(line[line.size() - 1]);
        if (!high || !low)
            return LogSkip::Framing;
        if (NmeaChecksum(body) != *high * 16 + *low)
            return LogSkip::Checksum;
    }
    const auto kind = KindOf(body.substr(0, body.find(',')), line[0]);
    if (!kind)
        return LogSkip::Other;
    Fields f;
    std::size_t count = 0;
    for (std::size_t from = 0;; from = body.find(',', from) + 1) {
        if (count == kMostFields)
            return LogSkip::Fields;
        f[count++] = body.substr(from, body.find(',', from) - from);
        if (body.find(',', from) == std::string_view::npos)
            break;
    }
    std::optional<LogSentence> s = *kind == Kind::Rmc ? Rmc(f, count) : *kind == Kind::Gga ? Gga(f, count) : Gll(f, count);
    // Without a checksum a sentence whose fields do not read may be one cut short.
    if (!s)
        return checked ? LogSkip::Fields : LogSkip::Framing;
    s->checked = checked;
    return *s;
}

void LogCounts::count(LogSkip why)
{
    switch (why) {
    case LogSkip::Checksum: ++checksum; break;
    case LogSkip::Framing: ++framing; break;
    case LogSkip::Other: ++other; break;
    case LogSkip::Fields: ++fields; break;
    }
}

LogCounts& LogCounts::operator+=(const LogCounts& o)
{
    checksum += o.checksum, framing += o.framing, other += o.other, fields += o.fields;
    longLines += o.longLines, binaryBytes += o.binaryBytes, untimedPoints += o.untimedPoints;
    backwards += o.backwards, unchecked += o.unchecked;
    gpxError = o.gpxError.empty() ? gpxError : o.gpxError;
    return *this;
}

std::string LogCounts::passedOver() const
{
    std::string text;
    const std::pair<long long, const char*> parts[] = {
        {checksum, " with a bad checksum"},
        {framing, " cut short or not a sentence"},
        {other, " neither RMC, GGA nor GLL"},
        {fields, " RMC, GGA or GLL with bad fields"},
        {longLines, " longer than a sentence can be"},
        {binaryBytes, " binary bytes"},
        {untimedPoints, " points with no time or place"},
        {backwards, " fixes not later than the one before"},
    };
    for (const auto& [n, what] : parts)
        if (n > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(n) + what;
    if (!gpxError.empty())
        text += (text.empty() ? "" : ", ") + gpxError;
    return text;
}

void LogLineSplitter::feed(std::string_view bytes, const Sink& line)
{
    for (const char c : bytes) {
        const bool crLf = c == '\n' && m_afterCr;
        m_afterCr = c == '\r';
        if (crLf)
            continue;
        if (c == '\r' || c == '\n') {
            end(line);
            m_inLine = m_afterBinary = false;
            continue;
        }
        m_inLine = true;
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && !Blank(c)) || byte >= 0x7f) {
            ++m_binary;
            if (!m_text.empty() || m_tooLong)
                end(line);
            m_afterBinary = true;
        } else if (m_text.size() == kLongestLogLine) {
            m_tooLong = true;
            m_text.clear();
        } else if (!m_tooLong) {
            m_text.push_back(c);
        }
    }
}

void LogLineSplitter::finish(const Sink& line)
{
    if (m_inLine)
        end(line);
    m_inLine = m_afterBinary = m_afterCr = false;
}

// The text so far is a line, or after binary bytes the sentence in it.
void LogLineSplitter::end(const Sink& line)
{
    if (m_tooLong) {
        ++m_longLines;
    } else if (!m_afterBinary) {
        line(m_text);
    } else {
        const std::size_t start = std::min(m_text.find_first_of("$!"), m_text.size());
        m_binary += static_cast<long long>(start);  // the tail of a binary frame
        if (start < m_text.size())
            line(std::string_view(m_text).substr(start));
    }
    m_text.clear();
    m_tooLong = false;
}

void NmeaLogFixes::feed(std::string_view bytes)
{
    m_splitter.feed(bytes, [this](std::string_view line) { add(line); });
}

void NmeaLogFixes::add(std::string_view line)
{
    ++m_lines;
    if (std::all_of(line.begin(), line.end(), Blank))
        return;  // a blank line is no sentence to pass over
    const auto read = ReadLogLine(line);
    if (const auto* why = std::get_if<LogSkip>(&read)) {
        m_counts.count(*why);
        return;
    }
    const LogSentence& s = std::get<LogSentence>(read);
    ++m_sentences;
    m_counts.unchecked += !s.checked;
    if (!s.timeOfDay) {
        // Lost after the last time read, until the next fix.
        if (m_lost || (!m_epoch && !m_lastAt))
            return;
        close();
        m_closed.push_back(RecordedFix{*m_lastAt + milliseconds(1), false});
        m_lost = true;
        return;
    }
    // One time of day on another date is another fix.
    if (m_epoch && (m_epoch->timeOfDay != *s.timeOfDay || (s.date && m_epoch->date && *s.date != *m_epoch->date)))
        close();
    if (!m_epoch)
        m_epoch = Epoch{*s.timeOfDay, {}, false, {}, {}, {}};
    m_lost = false;
    Epoch& e = *m_epoch;
    e.date = s.date ? s.date : e.date;
    e.fix = e.fix || s.fix;
    if (s.fix && s.kind == Kind::Gga)
        e.altitude = s.place.altitude;
    if (s.fix && (!e.placeFrom || s.kind > *e.placeFrom)) {
        e.placeFrom = s.kind;
        e.fixOut.place = s.place;
        e.fixOut.knots = s.knots;
        e.fixOut.courseDeg = s.courseDeg;
    }
}

void NmeaLogFixes::finish()
{
    m_splitter.finish([this](std::string_view line) { add(line); });
    close();
}

std::optional<RecordedFix> NmeaLogFixes::take()
{
    if (m_closed.empty())
        return std::nullopt;
    RecordedFix fix = m_closed.front();
    m_closed.pop_front();
    return fix;
}

LogCounts NmeaLogFixes::counts() const
{
    LogCounts counts = m_counts;
    counts.binaryBytes = m_splitter.binaryBytes();
    counts.longLines = m_splitter.longLines();
    return counts;
}

void NmeaLogFixes::close()
{
    if (!m_epoch)
        return;
    const Epoch& e = *m_epoch;
    // Days by RMC's date where there is one; else a time of day that went
    // back by more than half a day passed midnight.
    long long day = e.date ? e.date->time_since_epoch().count() : 0;
    if (e.date && m_lastDate)
        day = m_lastDatedDay + (*e.date - *m_lastDate).count();
    else if (m_lastTime)
        day = m_day + (e.timeOfDay + std::chrono::hours(12) < *m_lastTime ? 1 : 0);
    if (e.date) {
        m_lastDate = e.date;
        m_lastDatedDay = day;
    }
    m_day = day;
    m_lastTime = e.timeOfDay;
    RecordedFix fix = e.fixOut;
    fix.at = UtcInstant(std::chrono::days(day)) + e.timeOfDay;
    fix.valid = e.fix;
    fix.place.altitude = e.fix ? e.altitude : std::nullopt;
    m_lastAt = fix.at;
    m_closed.push_back(fix);
    m_epoch.reset();
}

}  // namespace quilvex
