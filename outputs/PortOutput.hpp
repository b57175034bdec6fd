#pragma once

#include "TickOutput.hpp"

#include <QString>

#include <memory>

namespace quilvex {

// The output a window port text names: "tcp://[HOST]:PORT" serves TCP
// (host 127.0.0.1 when left out; a name is looked up when it opens, without
// blocking), anything else is a serial port at the rate.
std::unique_ptr<TickOutput> MakePortOutput(const QString& portText, const QString& rateText);

}  // namespace quilvex
