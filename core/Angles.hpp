#pragma once

#include <numbers>

namespace quilvex {

// Radians in a degree: every turn between the two goes through this one.
inline constexpr double kDeg = std::numbers::pi / 180;

}  // namespace quilvex
