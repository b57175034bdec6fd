#pragma once

#include "modGeneral.hpp"

#include <optional>
#include <string_view>

namespace quilvex {

// "2010-09-16T04:51:35.127Z" (one to three millisecond digits, or none; the Z
// required) as an instant. Years 1000 to 9999, real calendar dates, hours
// 00-23, no leap second. Anything else gives nothing.
std::optional<UtcInstant> ParseUtcInstant(std::string_view text);

// The instants ParseUtcInstant takes, in words (ZDA carries four year digits).
inline constexpr std::string_view kInstantRangeText = "from 1000-01-01T00:00:00Z to the end of year 9999";

// The last instant a four-digit year can carry.
inline constexpr UtcInstant kLastStampedInstant =
    std::chrono::sys_days{std::chrono::year{9999} / 12 / 31} + std::chrono::milliseconds(86'399'999);

}  // namespace quilvex
