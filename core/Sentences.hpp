#pragma once

#include "TimeTexts.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quilvex {

// XOR of every character between "$" and "*".
std::uint8_t NmeaChecksum(std::string_view body);

// "$" + body + "*" + two uppercase hex digits + CR LF.
std::string FrameSentence(std::string_view body);

// The bodies take their texts as they stand: nothing is checked, trimmed or
// padded, so an empty coordinate gives an empty field.
std::string ComposeZDA(const TimeTexts& t);
std::string ComposeGGA(const TimeTexts& t, std::string_view lat, std::string_view lon);
std::string ComposeGLL(const TimeTexts& t, std::string_view lat, std::string_view lon);
std::string ComposeVTG();
std::string ComposeRMC(const TimeTexts& t, std::string_view lat, std::string_view lon);

// Stored framed, checksum included, as the receiver it imitates would send it.
inline constexpr std::string_view kFramedGSA = "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n";

}  // namespace quilvex
