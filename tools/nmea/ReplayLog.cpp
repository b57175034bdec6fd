#include "ReplayLog.hpp"

namespace quilvex {
namespace {

// A sentence has at most 82 characters; what does not fit is no sentence
// and is passed over, so a line of any length costs this much.
constexpr qint64 kLineBuffer = 1024;

}  // namespace

ReplayLog::ReplayLog(std::unique_ptr<QIODevice> file) : m_file(std::move(file))
{
    if (LooksLikeXml(*m_file))
        m_gpx = std::make_unique<GpxTrack>(*m_file);
}

std::variant<std::unique_ptr<ReplayLog>, FileProblem> ReplayLog::open(const QString& path)
{
    auto opened = OpenInput(path);
    if (auto* problem = std::get_if<FileProblem>(&opened))
        return *problem;
    return std::unique_ptr<ReplayLog>(new ReplayLog(std::move(std::get<std::unique_ptr<QIODevice>>(opened))));
}

std::optional<RecordedFix> ReplayLog::next()
{
    auto fix = m_gpx ? m_gpx->next() : nextOfNmea();
    if (fix)
        ++(fix->valid ? m_withFix : m_withoutFix);
    return fix;
}

std::optional<RecordedFix> ReplayLog::nextOfNmea()
{
    char line[kLineBuffer];
    for (bool longLine = false;;) {
        const qint64 n = m_file->readLine(line, sizeof line);
        if (n <= 0) {
            if (m_nmeaEnded)
                return std::nullopt;
            m_nmeaEnded = true;
            return m_nmea.finish();
        }
        const bool whole = line[n - 1] == '\n';
        // The rest of a line too long for the buffer is passed over with it.
        if (longLine || !whole) {
            m_longLines += !longLine && !whole;
            longLine = !whole;
            continue;
        }
        if (auto fix = m_nmea.add(std::string_view(line, static_cast<std::size_t>(n))))
            return fix;
    }
}

std::string ReplayLog::found() const
{
    std::string text = m_gpx ? std::to_string(m_gpx->points()) + " track points"
                             : std::to_string(m_nmea.lines() + m_longLines) + " lines";
    text += ", " + std::to_string(m_withFix) + " fixes, " + std::to_string(m_withoutFix) + " without a fix";
    if (const std::string passed = skipped(); !passed.empty())
        text += "; passed over: " + passed;
    return text;
}

std::string ReplayLog::skipped() const
{
    if (m_gpx) {
        const std::string error = m_gpx->error();
        const std::string untimed = m_gpx->untimed() ? std::to_string(m_gpx->untimed()) + " points with no time or place" : "";
        return untimed + (untimed.empty() || error.empty() ? "" : ", ") + error;
    }
    std::string text = m_nmea.skipped().text();
    if (m_longLines > 0)
        text += (text.empty() ? "" : ", ") + std::to_string(m_longLines) + " longer than a sentence can be";
    return text;
}

}  // namespace quilvex
