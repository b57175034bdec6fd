#pragma once

#include "modGeneral.hpp"

#include <optional>
#include <string_view>

namespace quilvex {

// "2010-09-16T04:51:35.127Z" (one to three millisecond digits, or none; the Z
// required) as an instant. Years 1000 to 9999, real calendar dates, hours
// 00-23, no leap second. Anything else gives nothing.
std::optional<UtcInstant> ParseUtcInstant(std::string_view text);

}  // namespace quilvex
