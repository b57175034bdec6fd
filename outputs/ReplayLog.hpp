#pragma once

#include "GpxReader.hpp"
#include "InputFile.hpp"
#include "NmeaLog.hpp"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace quilvex {

// A recorded trip read as it goes, an NMEA 0183 log or a GPX track with
// times (told apart by content): it holds one line or one point at a time.
// Its reads wait for the file: LogReader runs it off the event loop.
class ReplayLog {
public:
    static std::variant<std::unique_ptr<ReplayLog>, FileProblem> open(const QString& path);

    // The next recorded fix, with a fix or without; nothing at the end.
    std::optional<RecordedFix> next();
    // What was read so far: lines or points, fixes, and what was passed over.
    std::string found() const;
    LogCounts counts() const;
    // Nothing read was a sentence, and binary bytes were.
    bool notText() const;

private:
    explicit ReplayLog(std::unique_ptr<QIODevice> file);

    std::unique_ptr<QIODevice> m_file;
    std::unique_ptr<GpxTrack> m_gpx;  // reads m_file when the log is GPX
    NmeaLogFixes m_nmea;
    bool m_nmeaEnded = false;
    long long m_withFix = 0, m_withoutFix = 0;
};

}  // namespace quilvex
