#pragma once

#include <string>

namespace quilvex {

// A FIFO opened for reading without waiting for a writer, then its first
// bytes awaited at most limitMs, whatever signals come: its descriptor,
// blocking again, or kNoWriter when nothing came (Windows has no FIFOs:
// always kNoWriter).
inline constexpr int kNoWriter = -1;
int OpenFifoWithWriter(const std::string& path, int limitMs);

// Whether the path names a terminal (a console, a serial port).
bool IsTerminal(const std::string& path);

}  // namespace quilvex
