#include "GpxReader.hpp"

#include <QDateTime>

#include <cmath>

namespace quilvex {
namespace {

struct GpxPoint {
    std::optional<GeoPoint> place;  // none when lat or lon is missing or out of range
    std::optional<UtcInstant> time;
    bool fix = true;
};

std::optional<double> Number(QStringView text, double limit)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::abs(value) <= limit ? std::optional(value) : std::nullopt;
}

// <trkpt lat="35.68" lon="139.69"><ele>40</ele><time>2026-01-07T00:00:00Z</time></trkpt>
GpxPoint ReadPoint(QXmlStreamReader& xml)
{
    GpxPoint p;
    const auto lat = Number(xml.attributes().value("lat"), 90), lon = Number(xml.attributes().value("lon"), 180);
    if (lat && lon)
        p.place = GeoPoint{*lat, *lon, std::nullopt};
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        if (name != u"ele" && name != u"time" && name != u"fix") {
            xml.skipCurrentElement();
            continue;
        }
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        if (name == u"ele" && p.place)
            p.place->altitude = Number(text, 1e5);
        if (name == u"fix")
            p.fix = text != u"none";
        QDateTime time = name == u"time" ? QDateTime::fromString(text, Qt::ISODateWithMs) : QDateTime();
        if (time.isValid() && time.timeSpec() == Qt::LocalTime)
            time.setTimeSpec(Qt::UTC);  // GPX times are UTC, written with a Z or not
        if (time.isValid())
            p.time = UtcInstant(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
    }
    return p;
}

// Every point element among the children of the current one: in a trk,
// those of each trkseg.
void ReadPoints(QXmlStreamReader& xml, QStringView point, std::vector<GeoPoint>& into)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == u"trkseg") {
            ReadPoints(xml, point, into);
        } else if (xml.name() == point) {
            if (const GpxPoint p = ReadPoint(xml); p.place)
                into.push_back(*p.place);
        } else {
            xml.skipCurrentElement();
        }
    }
}

std::string ErrorOf(const QXmlStreamReader& xml)
{
    return "line " + std::to_string(xml.lineNumber()) + ": " + xml.errorString().toStdString();
}

}  // namespace

GpxRoute ReadGpxRoute(QIODevice& in)
{
    QXmlStreamReader xml(&in);
    if (!xml.readNextStartElement() || xml.name() != u"gpx")
        return {{}, xml.hasError() ? ErrorOf(xml) : "not a GPX file (no <gpx> element)"};
    std::vector<GeoPoint> route, track, waypoints;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"wpt") {
            if (const GpxPoint p = ReadPoint(xml); p.place)
                waypoints.push_back(*p.place);
        } else if (xml.name() == u"rte" && route.empty()) {
            ReadPoints(xml, u"rtept", route);
        } else if (xml.name() == u"trk" && track.empty()) {
            ReadPoints(xml, u"trkpt", track);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return {{}, ErrorOf(xml)};
    const std::vector<GeoPoint>& points = !route.empty() ? route : !track.empty() ? track : waypoints;
    return {points, points.empty() ? "a GPX file with no route, track or waypoint" : ""};
}

std::optional<RecordedFix> GpxTrack::next()
{
    while (!m_xml.atEnd()) {
        if (m_xml.readNext() != QXmlStreamReader::StartElement || m_xml.name() != u"trkpt")
            continue;
        ++m_points;
        const GpxPoint p = ReadPoint(m_xml);
        if (p.time && (p.place || !p.fix))
            return RecordedFix{*p.time, p.fix && p.place, p.place.value_or(GeoPoint{})};
        ++m_untimed;
    }
    return std::nullopt;
}

std::string GpxTrack::error() const
{
    return m_xml.hasError() ? ErrorOf(m_xml) : "";
}

}  // namespace quilvex
