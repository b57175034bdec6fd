#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quilvex {

// One tick's output: framed sentences in line order (ZDA, GGA, GLL, VTG, RMC,
// GSA, then the GSV group from `skyFrom` on, if any), each kept separate so it
// can go out as one write.
struct Tick {
    std::vector<std::string> sentences;
    std::size_t skyFrom = 0;

    const std::string& operator[](std::size_t i) const { return sentences[i]; }
    std::size_t size() const { return sentences.size(); }
    auto begin() const { return sentences.begin(); }
    auto end() const { return sentences.end(); }
};

// Whether a serial line at this rate (8N1: ten bits a byte) carries the
// longest standard tick within 90 % of a second. A slower one gets the sky
// one GSV sentence a tick, in turn, so the rest still comes every second.
bool CarriesWholeStandardTick(long long bitsPerSecond);

// What a whole tick puts on the line, for a reader that wants it in one piece.
std::string JoinTick(const Tick& tick);

}  // namespace quilvex
