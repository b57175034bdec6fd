#pragma once

#include "Receiver.hpp"
#include "ReplayPlayer.hpp"

#include <QString>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

class QSettings;

namespace quilvex {

enum class Motion { Still, Steady, Route, Replay };

// What the receiver settings dialog chose, typed; applied at the next Start
// and kept between runs.
struct ReceiverChoice {
    NmeaFormat format = NmeaFormat::Classic;
    Talker talker = Talker::GP;
    NmeaDialect dialect = NmeaDialect::V23;
    Constellations systems{Constellation::Gps};
    int hz = 1;
    std::optional<GeoPoint> position;  // none: the main window's prefecture
    Motion motion = Motion::Still;
    double speedKnots = 0, courseDeg = 0;
    QString routeFile;
    bool routeLoop = false;
    QString replayFile;
    int pace = 1;
    bool replayLoop = false;

    // The receiver Quilvex always was: classic, still, at a prefectural seat.
    bool original() const;
};

// Kept under "receiver/" (the registry on Windows, the config folder on
// Linux); a value that is missing or no longer within its rules gives the default.
ReceiverChoice LoadReceiverChoice(QSettings& settings);
void SaveReceiverChoice(QSettings& settings, const ReceiverChoice& choice);

// The receiver in a few Japanese words, for the title and the status line:
// "標準 NMEA 2.3 GN・GPS・1 Hz、経路 tokyo.gpx 12 kn"; empty for the original.
QString DescribeChoice(const ReceiverChoice& choice);

// The receiver a Start sends from: its route read, its replay opened up to
// the first fix; or the Japanese refusal naming the file and why.
struct PreparedReceiver {
    Receiver receiver;
    std::shared_ptr<ReplayPlayer> replay;
};
std::variant<PreparedReceiver, QString> PrepareReceiver(const ReceiverChoice& choice, int slot);

QString SystemName(Constellation system);

// "経路ファイル「PATH」を使えません。" and why, in Japanese.
QString FileRefusal(const QString& what, const QString& path, const FileProblem& problem);

}  // namespace quilvex
