#include "ReplayLog.hpp"

namespace quilvex {
namespace {

// Read at most this much at a time; a line ends a read, so a FIFO's lines
// come as they are written.
constexpr qint64 kLogBlock = 4096;

}  // namespace

ReplayLog::ReplayLog(std::unique_ptr<QIODevice> file) : m_file(std::move(file))
{
    if (LooksLikeXml(*m_file))
        m_gpx = std::make_unique<GpxTrack>(*m_file);
}

std::variant<std::unique_ptr<ReplayLog>, FileProblem> ReplayLog::open(const QString& path)
{
    // Receivers interleave binary frames: the log reader passes them over.
    auto opened = OpenInput(path, NulBytes::PassedOver);
    if (auto* problem = std::get_if<FileProblem>(&opened))
        return *problem;
    return std::unique_ptr<ReplayLog>(new ReplayLog(std::move(std::get<std::unique_ptr<QIODevice>>(opened))));
}

std::optional<RecordedFix> ReplayLog::next()
{
    std::optional<RecordedFix> fix = m_gpx ? m_gpx->next() : m_nmea.take();
    char block[kLogBlock];
    while (!m_gpx && !fix && !m_nmeaEnded) {
        const qint64 n = m_file->readLine(block, sizeof block);
        if (n > 0) {
            m_nmea.feed(std::string_view(block, static_cast<std::size_t>(n)));
        } else {
            m_nmeaEnded = true;
            m_nmea.finish();
        }
        fix = m_nmea.take();
    }
    if (fix)
        ++(fix->valid ? m_withFix : m_withoutFix);
    return fix;
}

LogCounts ReplayLog::counts() const
{
    if (!m_gpx)
        return m_nmea.counts();
    LogCounts counts;
    counts.untimedPoints = m_gpx->untimed();
    counts.gpxError = m_gpx->error();
    return counts;
}

bool ReplayLog::notText() const
{
    return !m_gpx && !m_nmea.anySentence() && m_nmea.counts().binaryBytes > 0;
}

std::string ReplayLog::found() const
{
    std::string text = m_gpx ? std::to_string(m_gpx->points()) + " track points"
                             : std::to_string(m_nmea.lines() + m_nmea.counts().longLines) + " lines";
    text += ", " + std::to_string(m_withFix) + " fixes, " + std::to_string(m_withoutFix) + " without a fix";
    if (const std::string passed = counts().passedOver(); !passed.empty())
        text += "; passed over: " + passed;
    return text;
}

}  // namespace quilvex
