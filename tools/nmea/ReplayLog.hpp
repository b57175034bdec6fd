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
class ReplayLog {
public:
    static std::variant<std::unique_ptr<ReplayLog>, FileProblem> open(const QString& path);

    // The next recorded fix, with a fix or without; nothing at the end.
    std::optional<RecordedFix> next();
    // What was read so far: lines or points, fixes, and what was passed over.
    std::string found() const;
    std::string skipped() const;  // empty when nothing was passed over

private:
    explicit ReplayLog(std::unique_ptr<QIODevice> file);
    std::optional<RecordedFix> nextOfNmea();

    std::unique_ptr<QIODevice> m_file;
    std::unique_ptr<GpxTrack> m_gpx;  // reads m_file when the log is GPX
    NmeaLogFixes m_nmea;
    bool m_nmeaEnded = false;
    long long m_longLines = 0;
    long long m_withFix = 0, m_withoutFix = 0;
};

}  // namespace quilvex
