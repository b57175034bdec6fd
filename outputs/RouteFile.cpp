#include "RouteFile.hpp"

#include "GpxReader.hpp"
#include "ReceiverTexts.hpp"

#include <utility>

namespace quilvex {
namespace {

constexpr std::size_t kLongestPointText = 4096;  // a line's text beyond its blanks; a longer one is no point

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && Blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "35.6895, 139.6917 ,40": blanks around a field are no part of it.
std::optional<GeoPoint> PointOf(std::string_view line)
{
    std::string_view fields[3];
    std::size_t count = 0;
    for (std::size_t from = 0; from != std::string_view::npos && count < 4; ++count) {
        const std::size_t comma = line.find(',', from);
        if (count < 3)
            fields[count] = Trimmed(line.substr(from, comma == std::string_view::npos ? comma : comma - from));
        from = comma == std::string_view::npos ? comma : comma + 1;
    }
    const auto lat = ParseLatitude(fields[0]), lon = ParseLongitude(fields[1]);
    const auto altitude = count == 3 ? ParseAltitude(fields[2]) : std::nullopt;
    if (count < 2 || count > 3 || !lat || !lon || (count == 3 && !altitude))
        return std::nullopt;
    return GeoPoint{*lat, *lon, altitude};
}

// One line of any length, kept as far as it can be a point: from its first
// character that is not blank, at most kLongestPointText bytes.
struct Line {
    long long number = 1;
    std::string text;
    bool longer = false;  // more than that came

    void add(char c)
    {
        if (text.empty() && Blank(c))
            return;
        if (text.size() < kLongestPointText)
            text.push_back(c);
        else
            longer = longer || !Blank(c);
    }
};

// A line read whole into the points: a blank line or a # comment adds none.
std::optional<FileProblem> Take(Line& line, std::vector<GeoPoint>& points)
{
    const Line taken = std::exchange(line, Line{.number = line.number + 1, .text = {}, .longer = false});
    const std::string_view text = Trimmed(taken.text);
    const long long number = taken.number;
    if (text.empty() || text.front() == '#')
        return std::nullopt;
    const auto point = taken.longer ? std::nullopt : PointOf(text);
    if (!point)
        return FileProblem{"line " + std::to_string(number) + " \"" + std::string(text.substr(0, 60)) +
                               "\" is not LAT,LON[,ALT] in signed degrees and metres, such as 35.6895,139.6917,40",
                           false};
    if (points.size() == kMostRoutePoints)
        return FileProblem{"line " + std::to_string(number) + ": more than " + std::to_string(kMostRoutePoints) +
                               " points (a route holds at most " + std::to_string(kMostRoutePoints) + ")",
                           false};
    points.push_back(*point);
    return std::nullopt;
}

}  // namespace

// 35.6895,139.6917,40 a line; lines end in LF, CR LF or CR.
std::variant<std::vector<GeoPoint>, FileProblem> ReadPointList(QIODevice& in)
{
    std::vector<GeoPoint> points;
    Line line;
    bool afterCr = false;
    char block[kReadBlock];
    for (qint64 n; (n = in.read(block, kReadBlock)) > 0;) {
        for (const char c : std::string_view(block, static_cast<std::size_t>(n))) {
            const bool crLf = afterCr && c == '\n';
            afterCr = c == '\r';
            if (crLf)
                continue;
            if (c != '\n' && c != '\r')
                line.add(c);
            else if (auto problem = Take(line, points))
                return *problem;
        }
    }
    if (auto problem = Take(line, points))
        return *problem;
    if (points.empty())
        return FileProblem{"it has no points, only blank lines and comments", false};
    return points;
}

std::variant<std::vector<GeoPoint>, FileProblem> ReadRouteFile(const QString& path)
{
    auto opened = OpenInput(path);
    if (auto* problem = std::get_if<FileProblem>(&opened))
        return *problem;
    QIODevice& file = *std::get<std::unique_ptr<QIODevice>>(opened);
    if (!LooksLikeXml(file))
        return ReadPointList(file);
    GpxRoute gpx = ReadGpxRoute(file);
    if (!gpx.error.empty())
        return FileProblem{gpx.error, false};
    return std::move(gpx.points);
}

}  // namespace quilvex
