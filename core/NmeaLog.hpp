#pragma once

#include "Replay.hpp"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quilvex {

// Why a line of a log was passed over.
enum class LogSkip {
    Checksum,  // "*hh" does not match
    Framing,   // no "$...": cut short, or not a sentence
    Other,     // a sentence but RMC, GGA or GLL
    Fields,    // RMC, GGA or GLL with a field count or a field that cannot be
};

// What a pass over a log read and passed over, for the closing notice;
// passes of a looping log add up.
struct LogCounts {
    long long checksum = 0, framing = 0, other = 0, fields = 0;
    long long longLines = 0, binaryBytes = 0;
    long long untimedPoints = 0;  // GPX track points with no time or place
    long long backwards = 0;      // fixes not later than the one before
    long long unchecked = 0;      // sentences read without a checksum
    std::string gpxError;         // the last pass's XML fault, if any

    void count(LogSkip why);
    LogCounts& operator+=(const LogCounts& other);
    // "3 with a bad checksum, 1 cut short or not a sentence"; empty when none
    std::string passedOver() const;
};

// What one RMC, GGA or GLL says, any talker.
struct LogSentence {
    enum class Kind { Gll, Gga, Rmc } kind;  // in the order their place counts
    std::optional<std::chrono::milliseconds> timeOfDay;  // none: a receiver without time yet
    std::optional<std::chrono::sys_days> date;           // RMC's
    bool fix = false;
    GeoPoint place{};  // with a fix; GGA's altitude in it
    std::optional<double> knots{}, courseDeg{};  // RMC's, with a fix
    bool checked = true;  // it had a checksum
};

// One line of a log, CR LF or not.
std::variant<LogSentence, LogSkip> ReadLogLine(std::string_view line);

// A log's bytes cut into lines at CR, LF or CR LF, the last line without
// one included. Bytes that are no text (binary receiver frames, NUL) are
// passed over and counted; where a line holds some, its sentence is the
// text after the last, from its '$' or '!'. A line's text over
// kLongestLogLine bytes is passed over whole.
inline constexpr std::size_t kLongestLogLine = 1024;
class LogLineSplitter {
public:
    using Sink = std::function<void(std::string_view)>;
    void feed(std::string_view bytes, const Sink& line);
    void finish(const Sink& line);
    long long binaryBytes() const { return m_binary; }
    long long longLines() const { return m_longLines; }

private:
    void end(const Sink& line);

    std::string m_text;  // since the line began or its last binary byte, up to the limit
    bool m_inLine = false, m_afterBinary = false, m_tooLong = false, m_afterCr = false;
    long long m_binary = 0, m_longLines = 0;
};

// A log's bytes or lines in, its fixes out. Sentences of one time of day
// are one fix: a fix where any of them has one, at RMC's place, else GGA's,
// else GLL's. Days come from RMC's date, else from the time of day going
// back past midnight. A sentence with no time and no fix means the fix was
// lost after the last time read.
class NmeaLogFixes {
public:
    void feed(std::string_view bytes);
    void add(std::string_view line);
    void finish();                      // the log has ended
    std::optional<RecordedFix> take();  // the next fix closed, if any
    LogCounts counts() const;
    long long lines() const { return m_lines; }
    bool anySentence() const { return m_sentences > 0; }

private:
    struct Epoch {
        std::chrono::milliseconds timeOfDay{};
        std::optional<std::chrono::sys_days> date;
        bool fix = false;
        std::optional<LogSentence::Kind> placeFrom;
        std::optional<double> altitude;  // GGA's
        RecordedFix fixOut{};
    };
    void close();

    std::optional<Epoch> m_epoch;
    bool m_lost = false;  // a loss was marked since the last time read
    long long m_day = 0;  // of the last epoch closed
    std::optional<std::chrono::milliseconds> m_lastTime;
    std::optional<std::chrono::sys_days> m_lastDate;
    long long m_lastDatedDay = 0;
    std::optional<UtcInstant> m_lastAt;
    std::deque<RecordedFix> m_closed;  // at most two
    LogLineSplitter m_splitter;
    LogCounts m_counts;
    long long m_lines = 0, m_sentences = 0;
};

}  // namespace quilvex
