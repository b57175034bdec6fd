#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quilvex {

// The satellite systems a receiver may track.
enum class Constellation { Gps, Glonass, Galileo, BeiDou, Qzss };
inline constexpr std::array kConstellations{Constellation::Gps, Constellation::Glonass, Constellation::Galileo,
                                            Constellation::BeiDou, Constellation::Qzss};
using Constellations = std::set<Constellation>;

// The dialect of the standard format: 2.3 knows GPS alone; 4.10 and 4.11
// name each satellite's system (GSA's system ID, GSV's talker and signal ID).
enum class NmeaDialect { V23, V410, V411 };

// "gps", "glonass", ...: the command line's and the start line's names.
std::string_view NameOf(Constellation system);
std::string_view NameOf(NmeaDialect dialect);

// The dialect a receiver speaks: 2.3 cannot tell one system from another,
// so anything beyond GPS alone goes as 4.11 whatever was asked.
NmeaDialect SpokenDialect(const Constellations& systems, NmeaDialect asked);

// How a dialect names one system's satellites, as u-blox M8/M10 modules
// send them (their interface descriptions' talker, numbering and signal
// tables). 4.10 has no QZSS: its satellites go as GPS ones, numbered
// 193-202 under GP with system ID 1; 4.11 gives QZSS its own GQ and 1-10.
struct SystemNaming {
    std::string_view talker;  // of its GSV
    int systemId;             // GSA's last field; 0 in 2.3, which has none
    int signalId;             // GSV's last field (L1 C/A, L1OF, E1, B1I); 0 in 2.3
    int numberOffset;         // the system's own PRN or slot plus this is the number sent
};
SystemNaming NamingOf(Constellation system, NmeaDialect dialect);

// GPS and QZSS keep one time; each other system its own, so a fix solves
// one clock per group.
int ClockOf(Constellation system);
inline constexpr int kClockGroups = 4;

}  // namespace quilvex
