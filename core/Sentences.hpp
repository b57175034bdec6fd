#pragma once

#include "TimeTexts.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quilvex {

// XOR of every character between "$" and "*".
std::uint8_t NmeaChecksum(std::string_view body);

// "$" + body + "*" + two uppercase hex digits + CR LF.
std::string FrameSentence(std::string_view body);

// A position as the sentences carry it: "ddmm.mmm…", "N" or "S",
// "dddmm.mmm…", "E" or "W".
struct PlaceTexts {
    std::string_view lat, ns, lon, ew;
};

// The bodies take their texts as they stand: nothing is checked, trimmed or
// padded, so an empty coordinate gives an empty field. Every body starts with
// its sentence type ("ZDA,..."): the caller puts the talker in front.

// The classic stream: its quirky constants are what consumers of it expect.
std::string ComposeZDA(const TimeTexts& t);
std::string ComposeGGA(const TimeTexts& t, const PlaceTexts& place, std::string_view altitude = "0");
std::string ComposeGLL(const TimeTexts& t, const PlaceTexts& place);  // the same in both streams
std::string ComposeVTG(std::string_view course = "0", std::string_view magnetic = "0",
                       std::string_view knots = "0", std::string_view kmh = "0");
std::string ComposeRMC(const TimeTexts& t, const PlaceTexts& place, std::string_view knots = "000.0",
                       std::string_view course = "000.0", std::string_view variation = "0,E");

// Stored framed, checksum included, as the receiver it imitates would send it.
inline constexpr std::string_view kFramedGSA = "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n";

// The standard stream (NMEA 0183 v2.3); VTG and RMC are the ones above with
// an empty magnetic course and variation.
std::string ComposeStandardZDA(const TimeTexts& t);
std::string ComposeStandardGGA(const TimeTexts& t, const PlaceTexts& place, std::size_t used,
                               std::string_view hdop, std::string_view altitude);
// `fix` "3" or "1"; up to twelve PRNs; `dops` "P.PP,H.HH,V.VV"; a system ID
// (4.10 and 4.11) as the last field unless 0.
std::string ComposeGSA(std::string_view fix, std::span<const int> prns, std::string_view dops, int systemId = 0);

struct GsvSatellite {
    int prn, elevation, azimuth;  // whole degrees
    int snr;                      // dB-Hz; 0 when not tracked: the field stays empty
};
// Four satellites a sentence, the last one the rest; "GSV,1,1,00" for none;
// a signal ID (4.10 and 4.11) as the last field unless 0.
std::vector<std::string> ComposeGSVGroup(std::span<const GsvSatellite> inView, int signalId = 0);

// Without a fix, in either stream.
std::string ComposeNoFixGGA(const TimeTexts& t);
std::string ComposeNoFixGLL(const TimeTexts& t);
std::string ComposeNoFixVTG();
std::string ComposeNoFixRMC(const TimeTexts& t);
inline constexpr std::string_view kNoFixDops = "99.99,99.99,99.99";

}  // namespace quilvex
