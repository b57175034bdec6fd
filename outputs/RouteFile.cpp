#include "RouteFile.hpp"

#include "GpxReader.hpp"
#include "ReceiverTexts.hpp"

namespace quilvex {
namespace {

constexpr qint64 kLongestLine = 4096;  // longer is no point text

}  // namespace

// 35.6895,139.6917,40
std::variant<std::vector<GeoPoint>, FileProblem> ReadPointList(QIODevice& in)
{
    std::vector<GeoPoint> points;
    for (long long number = 1; !in.atEnd(); ++number) {
        const std::string line = in.readLine(kLongestLine).trimmed().toStdString();
        if (line.empty() || line[0] == '#')
            continue;
        const auto point = ParsePosition(line);
        if (!point)
            return FileProblem{"line " + std::to_string(number) + " \"" + line.substr(0, 60) +
                                   "\" is not LAT,LON[,ALT] in signed degrees and metres, such as 35.6895,139.6917,40",
                               false};
        points.push_back(*point);
    }
    if (points.empty())
        return FileProblem{"it has no points, only blank lines and comments", false};
    return points;
}

std::variant<std::vector<GeoPoint>, FileProblem> ReadRouteFile(const QString& path)
{
    auto opened = OpenInput(path);
    if (auto* problem = std::get_if<FileProblem>(&opened))
        return *problem;
    QFile& file = *std::get<std::unique_ptr<QFile>>(opened);
    if (!LooksLikeXml(file))
        return ReadPointList(file);
    GpxRoute gpx = ReadGpxRoute(file);
    if (!gpx.error.empty())
        return FileProblem{gpx.error, false};
    return std::move(gpx.points);
}

}  // namespace quilvex
