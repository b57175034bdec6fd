#pragma once

#include "Replay.hpp"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quilvex {

// Why a line of a log was passed over.
enum class LogSkip {
    Checksum,  // "*hh" does not match
    Framing,   // no "$...*hh": cut short, or not a sentence
    Other,     // a sentence but RMC or GGA
    Fields,    // RMC or GGA with a field count or a field that cannot be
    Lone,      // a GGA with no RMC at its time, which alone dates a fix
};

struct LogSkips {
    long long checksum = 0, framing = 0, other = 0, fields = 0, lone = 0;
    void count(LogSkip why);
    long long total() const { return checksum + framing + other + fields + lone; }
    std::string text() const;  // "3 with a bad checksum, 1 cut short or not a sentence"
};

// The fields replay takes from the two sentences, any talker.
struct LogRmc {
    std::chrono::milliseconds timeOfDay;
    std::chrono::sys_days date;
    bool valid;
    GeoPoint place;  // when valid
    std::optional<double> knots, courseDeg;
};
struct LogGga {
    std::chrono::milliseconds timeOfDay;
    int quality;     // 0: no fix
    int satellites;  // used
    std::optional<double> altitude;
};

// One line of a log, CR LF or not.
std::variant<LogRmc, LogGga, LogSkip> ReadLogLine(std::string_view line);

// A log's lines in, its fixes out: an RMC and a GGA of the same time make
// one fix, which the first line of another time closes.
class NmeaLogFixes {
public:
    std::optional<RecordedFix> add(std::string_view line);
    std::optional<RecordedFix> finish();  // the last fix, at the log's end
    const LogSkips& skipped() const { return m_skipped; }
    long long lines() const { return m_lines; }

private:
    std::optional<RecordedFix> close();

    std::optional<LogRmc> m_rmc;
    std::optional<LogGga> m_gga;
    LogSkips m_skipped;
    long long m_lines = 0;
};

}  // namespace quilvex
