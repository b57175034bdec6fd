#pragma once

#include "TimeTexts.hpp"
#include "modGeneral.hpp"

#include <array>
#include <string>
#include <string_view>

namespace quilvex {

// One tick's output: six framed sentences in line order (ZDA, GGA, GLL, VTG,
// RMC, GSA), each kept separate so it can go out as one write.
using TickSentences = std::array<std::string, 6>;

TickSentences ComposeTick(const TimeTexts& t, std::string_view lat, std::string_view lon);

// A real-time tick: snapshots the UTC clock into SysTime, then reads the
// local hour, then composes.
TickSentences ComposeTickNow(std::string_view lat, std::string_view lon);

// A stamped tick at a given instant, with the local hour of that instant.
TickSentences ComposeTickAt(UtcInstant instant, std::string_view lat, std::string_view lon);

// What a whole tick puts on the line, for a reader that wants it in one piece.
std::string JoinTick(const TickSentences& tick);

}  // namespace quilvex
