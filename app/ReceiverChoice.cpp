#include "ReceiverChoice.hpp"

#include "OutputError.hpp"
#include "ReceiverTexts.hpp"
#include "RouteFile.hpp"
#include "SettingRules.hpp"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace quilvex {
namespace {

QString Name(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

}  // namespace

QString FileRefusal(const QString& what, const QString& path, const FileProblem& problem)
{
    return QStringLiteral("%1「%2」を使えません。%3")
        .arg(what, path, QString::fromStdString(JapaneseReason(problem.message)));
}

namespace {

std::optional<double> Within(const QVariant& value, const SettingRange& range)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && range.holds(number) ? std::optional(number) : std::nullopt;
}

}  // namespace

bool ReceiverChoice::original() const
{
    return format == NmeaFormat::Classic && talker == Talker::GP && !position && motion == Motion::Still;
}

QString SystemName(Constellation system)
{
    switch (system) {
    case Constellation::Gps: return QStringLiteral("GPS");
    case Constellation::Glonass: return QStringLiteral("GLONASS");
    case Constellation::Galileo: return QStringLiteral("Galileo");
    case Constellation::BeiDou: return QStringLiteral("BeiDou");
    case Constellation::Qzss: return QStringLiteral("みちびき");
    }
    return {};
}

ReceiverChoice LoadReceiverChoice(QSettings& s)
{
    ReceiverChoice c;
    s.beginGroup("receiver");
    c.format = s.value("format").toString() == "standard" ? NmeaFormat::Standard : NmeaFormat::Classic;
    c.talker = s.value("talker").toString() == "GN" ? Talker::GN : Talker::GP;
    c.dialect = ParseDialect(s.value("nmea").toString().toStdString()).value_or(NmeaDialect::V23);
    const QStringList systems = s.value("systems", QStringList{"gps"}).toStringList();
    c.systems.clear();
    for (Constellation system : kConstellations)
        if (systems.contains(Name(NameOf(system))))
            c.systems.insert(system);
    if (c.systems.empty() || (c.dialect == NmeaDialect::V23 && c.systems != Constellations{Constellation::Gps})) {
        c.systems = {Constellation::Gps};
        c.dialect = NmeaDialect::V23;
    }
    const int hz = s.value("hz", 1).toInt();
    c.hz = std::find(kUpdateRates.begin(), kUpdateRates.end(), hz) != kUpdateRates.end() ? hz : 1;
    const auto lat = Within(s.value("latitude"), kLatitudeRange), lon = Within(s.value("longitude"), kLongitudeRange);
    if (lat && lon)
        c.position = GeoPoint{*lat, *lon, Within(s.value("altitude"), kAltitudeRange)};
    const QString motion = s.value("motion").toString();
    c.motion = motion == "steady" ? Motion::Steady : motion == "route" ? Motion::Route
             : motion == "replay" ? Motion::Replay : Motion::Still;
    c.speedKnots = Within(s.value("speed"), kSpeedRange).value_or(0);
    c.courseDeg = Within(s.value("course"), kCourseRange).value_or(0);
    c.routeFile = s.value("routeFile").toString();
    c.routeLoop = s.value("routeLoop").toBool();
    c.replayFile = s.value("replayFile").toString();
    c.pace = static_cast<int>(Within(s.value("pace"), kPaceRange).value_or(1));
    c.replayLoop = s.value("replayLoop").toBool();
    s.endGroup();
    return c;
}

void SaveReceiverChoice(QSettings& s, const ReceiverChoice& c)
{
    s.remove("receiver");
    s.beginGroup("receiver");
    s.setValue("format", c.format == NmeaFormat::Standard ? "standard" : "classic");
    s.setValue("talker", c.talker == Talker::GN ? "GN" : "GP");
    s.setValue("nmea", Name(NameOf(c.dialect)));
    QStringList systems;
    for (Constellation system : c.systems)
        systems << Name(NameOf(system));
    s.setValue("systems", systems);
    s.setValue("hz", c.hz);
    if (c.position) {
        s.setValue("latitude", c.position->lat);
        s.setValue("longitude", c.position->lon);
        if (c.position->altitude)
            s.setValue("altitude", *c.position->altitude);
    }
    const char* const motions[] = {"still", "steady", "route", "replay"};
    s.setValue("motion", motions[static_cast<int>(c.motion)]);
    s.setValue("speed", c.speedKnots);
    s.setValue("course", c.courseDeg);
    s.setValue("routeFile", c.routeFile);
    s.setValue("routeLoop", c.routeLoop);
    s.setValue("replayFile", c.replayFile);
    s.setValue("pace", c.pace);
    s.setValue("replayLoop", c.replayLoop);
    s.endGroup();
    s.sync();
}

QString DescribeChoice(const ReceiverChoice& c)
{
    if (c.original())
        return {};
    QStringList parts;
    if (c.format == NmeaFormat::Standard) {
        QStringList systems;
        for (Constellation system : c.systems)
            systems << SystemName(system);
        parts << QStringLiteral("標準 NMEA %1 %2・%3・%4 Hz")
                     .arg(Name(NameOf(c.dialect)),
                          c.talker == Talker::GN || c.dialect != NmeaDialect::V23 ? "GN" : "GP", systems.join('+'))
                     .arg(c.hz);
    } else {
        parts << QStringLiteral("従来 %1").arg(c.talker == Talker::GN ? "GN" : "GP");
    }
    if (c.position && c.motion != Motion::Route && c.motion != Motion::Replay)
        parts << QStringLiteral("%1, %2").arg(c.position->lat, 0, 'g', 10).arg(c.position->lon, 0, 'g', 10);
    const QString loop = QStringLiteral(" ループ");
    switch (c.motion) {
    case Motion::Still:
        break;
    case Motion::Steady:
        parts << QStringLiteral("%1 kn %2°").arg(c.speedKnots).arg(c.courseDeg);
        break;
    case Motion::Route:
        parts << QStringLiteral("経路 %1 %2 kn%3")
                     .arg(QFileInfo(c.routeFile).fileName())
                     .arg(c.speedKnots)
                     .arg(c.routeLoop ? loop : QString());
        break;
    case Motion::Replay:
        parts << QStringLiteral("再生 %1 %2倍速%3")
                     .arg(QFileInfo(c.replayFile).fileName())
                     .arg(c.pace)
                     .arg(c.replayLoop ? loop : QString());
        break;
    }
    return parts.join(QStringLiteral("、"));
}

std::variant<PreparedReceiver, QString> PrepareReceiver(const ReceiverChoice& c, int slot)
{
    PreparedReceiver p;
    Receiver& r = p.receiver;
    r.format = c.format;
    r.talker = c.talker;
    if (c.format == NmeaFormat::Standard) {
        r.systems = c.systems;
        r.dialect = c.dialect;
    }
    r.slot = slot;
    r.position = c.position;
    if (c.motion == Motion::Steady || c.motion == Motion::Route) {
        r.speedKnots = c.speedKnots;
        r.courseDeg = c.motion == Motion::Steady ? c.courseDeg : 0;
    }
    if (c.motion == Motion::Route) {
        if (!(c.speedKnots > kSpeedRange.low))
            return QString::fromStdString(SettingTakes(Setting::RouteSpeed, Language::Japanese));
        auto points = ReadRouteFile(c.routeFile);
        if (const auto* problem = std::get_if<FileProblem>(&points))
            return FileRefusal(QStringLiteral("経路ファイル"), c.routeFile, *problem);
        r.route = std::make_shared<const Route>(std::move(std::get<std::vector<GeoPoint>>(points)), c.routeLoop);
    }
    if (c.motion == Motion::Replay) {
        // Read off the event loop once begun: what it finds comes as its ready or failed.
        const QFileInfo file(c.replayFile);
        if (!file.exists())
            return FileRefusal(QStringLiteral("記録ファイル"), c.replayFile, {"No such file or directory", true});
        if (file.isDir())
            return FileRefusal(QStringLiteral("記録ファイル"), c.replayFile, {"it is a directory", true});
        p.replay = std::make_shared<ReplayPlayer>(c.replayFile, c.pace, c.replayLoop);
    }
    return p;
}

}  // namespace quilvex
