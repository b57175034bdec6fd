#pragma once

#include "LinkError.hpp"

#include <QString>

namespace quilvex {

// The window's wording of a link failure: what, on which port and device, why.
QString JapaneseMessage(const LinkError& error);

}  // namespace quilvex
