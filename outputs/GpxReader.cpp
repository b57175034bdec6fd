#include "GpxReader.hpp"

#include "ReceiverTexts.hpp"

#include <QDateTime>

namespace quilvex {
namespace {

constexpr qsizetype kLongestValue = 64;  // an ele, time or fix text grows no further: no value is longer

struct GpxPoint {
    std::optional<GeoPoint> place;  // none when lat or lon cannot be
    std::string fault;              // why lat, lon or ele cannot be
    std::optional<UtcInstant> time;
    bool fix = true;
};

std::string Quoted(QStringView text)
{
    constexpr qsizetype shown = 40;
    // Appended in steps: MinGW's GCC 12 sees a false overlap in "x" + string (-Werror=restrict).
    std::string quoted = "\"";
    quoted += text.left(shown).toString().toStdString();
    return quoted += text.size() > shown ? "...\"" : "\"";
}

std::optional<double> Parsed(QStringView text, std::optional<double> (*parse)(std::string_view))
{
    const QByteArray bytes = text.trimmed().toUtf8();
    return parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TakeChild(QStringView child, QStringView text, GpxPoint& p)
{
    if (child == u"ele" && p.place) {
        p.place->altitude = Parsed(text, ParseAltitude);
        if (!p.place->altitude)
            p.fault = "ele " + Quoted(text) + " is not metres from -1000 to 100000";
    } else if (child == u"fix") {
        p.fix = text != u"none";
    } else if (child == u"time") {
        QDateTime time = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
        if (time.isValid() && time.timeSpec() == Qt::LocalTime)
            time.setTimeSpec(Qt::UTC);  // GPX times are UTC, written with a Z or not
        if (time.isValid())
            p.time = UtcInstant(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
    }
}

// <trkpt lat="35.68" lon="139.69"><ele>40</ele><time>2026-01-07T00:00:00Z</time></trkpt>,
// read to its end tag.
GpxPoint ReadPoint(XmlTokens& x)
{
    const QXmlStreamReader& xml = x.xml();
    GpxPoint p;
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView lat = attributes.value("lat"), lon = attributes.value("lon");
    const auto latitude = Parsed(lat, ParseLatitude), longitude = Parsed(lon, ParseLongitude);
    if (latitude && longitude)
        p.place = GeoPoint{*latitude, *longitude, std::nullopt};
    else if (!latitude)
        p.fault = lat.isNull() ? "it has no lat" : "lat " + Quoted(lat) + " is not a latitude from -90 to 90";
    else
        p.fault = lon.isNull() ? "it has no lon" : "lon " + Quoted(lon) + " is not a longitude from -180 to 180";
    const int depth = x.depth();
    QString child, text;  // the child element being read, and its text so far
    while (x.next() && !(xml.isEndElement() && x.depth() == depth)) {
        if (x.depth() != depth + 1)
            continue;
        if (xml.isStartElement())
            child = xml.name().toString(), text.clear();
        else if (xml.isCharacters() && text.size() <= kLongestValue)
            text += xml.text();
        else if (xml.isEndElement())
            TakeChild(child, QStringView(text).trimmed(), p);
    }
    return p;
}

// The points of one list, and the first that cannot be.
struct PointList {
    std::vector<GeoPoint> points;
    long long count = 0;  // possible or not
    std::string fault;
};

void Add(XmlTokens& x, PointList& into)
{
    const std::string where = x.xml().name().toString().toStdString() + " " + std::to_string(++into.count) +
                              " (line " + std::to_string(x.xml().lineNumber()) + ")";
    const GpxPoint p = ReadPoint(x);
    if (!p.fault.empty() && into.fault.empty())
        into.fault = where + ": " + p.fault;
    else if (p.place)
        into.points.push_back(*p.place);
}

}  // namespace

GpxRoute ReadGpxRoute(QIODevice& in)
{
    XmlTokens x(in);
    const QXmlStreamReader& xml = x.xml();
    while (x.next() && !xml.isStartElement()) {
    }
    if (!x.starts(u"gpx"))
        return {{}, !x.error().empty() ? x.error() : "not a GPX file (no <gpx> element)"};
    PointList route, track, waypoints;
    PointList* into = nullptr;  // the rte or trk being read
    QStringView point;          // what it holds: rtept or trkpt
    int chain = 0;              // the depth down to which it and the trksegs in it hold points
    constexpr int kList = 2;    // the depth of rte, trk and wpt
    while (x.next()) {
        const int depth = x.depth();
        if (into && xml.isEndElement() && depth == chain) {
            if (--chain >= kList)
                continue;
            if (into->count > 0) {  // read whole: the lists it wins over go
                waypoints = {};
                if (into == &route)
                    track = {};
            }
            into = nullptr;
        } else if (into && depth == chain + 1 && (x.starts(u"trkseg") || x.starts(point))) {
            if (x.starts(u"trkseg"))
                chain = depth;
            else
                Add(x, *into);
        } else if (depth == kList && x.starts(u"rte") && route.count == 0) {
            into = &route, point = u"rtept", chain = depth;
        } else if (depth == kList && x.starts(u"trk") && track.count == 0 && route.count == 0) {
            into = &track, point = u"trkpt", chain = depth;
        } else if (depth == kList && x.starts(u"wpt") && track.count == 0 && route.count == 0) {
            Add(x, waypoints);
        }
        if (route.points.size() + track.points.size() + waypoints.points.size() > kMostRoutePoints)
            return {{}, "line " + std::to_string(xml.lineNumber()) + ": more than " + std::to_string(kMostRoutePoints) +
                            " points (a route holds at most " + std::to_string(kMostRoutePoints) + ")"};
    }
    if (!x.error().empty())
        return {{}, x.error()};
    PointList& chosen = route.count > 0 ? route : track.count > 0 ? track : waypoints;
    if (!chosen.fault.empty())
        return {{}, chosen.fault};
    return {std::move(chosen.points), chosen.count == 0 ? "a GPX file with no route, track or waypoint" : ""};
}

std::optional<RecordedFix> GpxTrack::next()
{
    while (m_xml.next()) {
        if (!m_xml.starts(u"trkpt"))
            continue;
        ++m_points;
        const GpxPoint p = ReadPoint(m_xml);
        if (p.time && (p.place || !p.fix))
            return RecordedFix{*p.time, p.fix && p.place, p.place.value_or(GeoPoint{})};
        ++m_untimed;
    }
    return std::nullopt;
}

}  // namespace quilvex
