#pragma once

#include "InputFile.hpp"
#include "Sky.hpp"

#include <variant>
#include <vector>

namespace quilvex {

// The points of a route: GPX, or plain text with one LAT,LON[,ALT] a line
// (blank lines and # comments allowed), told apart by content.
std::variant<std::vector<GeoPoint>, FileProblem> ReadRouteFile(const QString& path);

// The plain text form alone.
std::variant<std::vector<GeoPoint>, FileProblem> ReadPointList(QIODevice& in);

}  // namespace quilvex
