#pragma once

#include "Gnss.hpp"
#include "Sky.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quilvex {

// One satellite of the tick's sky as typed values, so a view draws the
// sky without reading the sentences back.
struct TrackedSatellite {
    Constellation system = Constellation::Gps;
    int prn = 0;             // the system's own number (GPS PRN, GLONASS slot, Galileo/BeiDou/QZSS PRN)
    double elevation = 0;    // degrees
    double azimuth = 0;      // degrees from true north, clockwise
    int snr = 0;             // dB-Hz; 0 when not tracked
    bool used = false;       // in the fix
};

struct TickSky {
    std::vector<TrackedSatellite> satellites;  // empty in the classic format, which sends no sky
    std::optional<Dop> dop;                    // of the fix; none without one
};

// The bytes of the longest tick some settings can give, of its sentences
// before the sky plus its longest GSV sentence, and of its fix sentences
// alone (GGA to the GSAs), which every epoch after a second's first has.
struct TickLength {
    std::size_t whole, withOneGsv, everyEpoch;
};

// One tick's output: framed sentences in line order (ZDA, GGA, GLL, VTG, RMC,
// GSA, one for each system ID in NMEA 4.10 and 4.11, then the GSV groups from
// `skyFrom` on, if any; above 1 Hz ZDA and GSV only at the first epoch of a
// second), each kept separate so it can go out as one write.
struct Tick {
    std::vector<std::string> sentences;
    std::size_t skyFrom = 0;
    bool fix = false;
    TickSky sky;
    TickLength widest{};  // of any tick with this one's settings; zero for the classic format


    const std::string& operator[](std::size_t i) const { return sentences[i]; }
    std::size_t size() const { return sentences.size(); }
    auto begin() const { return sentences.begin(); }
    auto end() const { return sentences.end(); }
};

// The longest standard tick these settings can give: every field at its
// widest, twelve satellites used in each time system, and in view sixteen
// GPS satellites and every one of each other system's.
TickLength WidestStandardTick(const Constellations& systems = {Constellation::Gps},
                              NmeaDialect dialect = NmeaDialect::V23);

// Whether a serial line at this rate (8N1: ten bits a byte) carries these
// bytes within 90 % of a second.
bool CarriesInASecond(long long bitsPerSecond, std::size_t bytes);

// Whether it carries the longest standard tick of these settings (GPS alone
// in 2.3 unless told). A slower one gets the sky one GSV sentence a tick, in
// turn, so the rest still comes every second.
bool CarriesWholeStandardTick(long long bitsPerSecond, const Constellations& systems = {Constellation::Gps},
                              NmeaDialect dialect = NmeaDialect::V23);

// The update rates a run may have, in ticks a second (1 s divides into
// whole milliseconds for each).
inline constexpr std::array kUpdateRates{1, 2, 4, 5, 10, 20};

// The bytes of the longest second of standard ticks at this rate: one whole
// tick, then the fix sentences alone at each further epoch.
std::size_t WidestStandardSecond(const TickLength& widest, int perSecond);

// Whether a serial line carries that second within 90 % of a second. At
// 1 Hz a slower one gets the sky in turn (above); a faster rate that does
// not fit is refused.
bool CarriesStandardSecond(long long bitsPerSecond, const TickLength& widest, int perSecond);

// The smallest whole line rate that carries a second at `perSecond`.
long long SlowestRateFor(const TickLength& widest, int perSecond);

// A serial line too slow for a second of standard ticks above 1 Hz.
struct LineShortfall {
    int hz;
    long long bitsPerSecond;
    std::size_t bytes;      // the longest second at `hz`
    int fastestHz;          // the highest update rate the line carries; 1 at least, where the sky takes turns
    long long slowestRate;  // the line rate `hz` needs
};

// None at 1 Hz or where the second fits; both front ends refuse the rest.
std::optional<LineShortfall> LineShortfallOf(long long bitsPerSecond, const Constellations& systems,
                                             NmeaDialect dialect, int hz);

// What a whole tick puts on the line, for a reader that wants it in one piece.
std::string JoinTick(const Tick& tick);

}  // namespace quilvex
