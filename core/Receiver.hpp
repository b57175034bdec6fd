#pragma once

#include "Replay.hpp"
#include "Route.hpp"
#include "Sky.hpp"
#include "Tick.hpp"
#include "TimeTexts.hpp"
#include "modGeneral.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace quilvex {

enum class NmeaFormat {
    Classic,   // the six sentences of the receiver this program first stood in for
    Standard,  // NMEA 0183 v2.3, 4.10 or 4.11 (`dialect`), with the sky (GSV)
};

enum class Talker { GP, GN };

// No fix in the run's seconds after .. after + length - 1 (second 0 is the first).
struct FixLossWindow {
    long long after;
    long long length;
};

// What a tick carries. The front ends set it; the functions below advance it
// and compose from it, so a run is reproducible from its settings alone.
struct Receiver {
    NmeaFormat format = NmeaFormat::Classic;
    Talker talker = Talker::GP;        // of the fix sentences in 2.3; 4.10 and 4.11 send GN
    Constellations systems{Constellation::Gps};  // tracked, in the standard format
    NmeaDialect dialect = NmeaDialect::V23;      // beyond GPS alone, 2.3 goes as 4.11
    int slot = 13;                     // a prefectural seat (東京都), used while `position` is empty
    std::optional<GeoPoint> position{};  // set, or taken from the seat once moving
    double speedKnots = 0;
    double courseDeg = 0;              // true
    std::vector<FixLossWindow> fixLoss{};
    bool fixSwitchedOff = false;       // switched at run time
    // The tick's epoch, from the first tick's: whole seconds at 1 Hz, tenths at 10 Hz.
    std::chrono::milliseconds sinceFirst{0};
    // Driven along it at speedKnots from its first point, instead of from `position`.
    std::shared_ptr<const Route> route{};
    // A replayed log at this epoch, set by the front end: place, motion and fix.
    std::optional<Replayed> replay{};
};

bool HasFix(const Receiver& receiver);

// The whole seconds since the first tick, which --fix-loss windows count.
long long RunSecond(const Receiver& receiver);

// The first second from `second` on that no window covers.
long long FixLossEnd(const std::vector<FixLossWindow>& windows, long long second);

// The receiver at a later epoch: moved at its speed for the time gone by.
Receiver AdvancedTo(Receiver receiver, std::chrono::milliseconds sinceFirst);
inline Receiver AdvancedTo(Receiver receiver, long long second)
{
    return AdvancedTo(std::move(receiver), std::chrono::seconds(second));
}

// Moved this far along its rhumb line (constant true course) on the WGS84
// ellipsoid, with the pole rules of AlongRhumb (core/Geodesy.hpp): over a
// pole down the far side, its course turned round (45 becomes 135, 0
// becomes 180); at a pole a course of 90 or 270 goes nowhere.
Receiver Moved(Receiver receiver, double metres);

// Where the receiver is at its second: its place, on its route or in its replay.
GeoPoint PlaceNow(const Receiver& receiver);

// `firstOfSecond`: the tick carries what goes once a second (ZDA and the
// sky's GSV) besides the fix sentences that go at every epoch.
Tick ComposeTick(const Receiver& receiver, const TickTime& time, bool firstOfSecond = true);
// Of a snapshot of the clock and the local hour read with it.
Tick ComposeTick(const Receiver& receiver, const SystemTimeRecord& utc, std::string_view localHour,
                 bool firstOfSecond = true);
// Real time: snapshots the UTC clock into SysTime first, as the classic tick does.
Tick ComposeTickNow(const Receiver& receiver);
Tick ComposeTickAt(const Receiver& receiver, UtcInstant instant, bool firstOfSecond = true);

}  // namespace quilvex
