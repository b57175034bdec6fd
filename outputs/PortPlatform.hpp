#pragma once

#include "PortRules.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace quilvex {

// The one place that asks the system about serial devices; the rest of the
// serial output stays the same on every platform.

struct PortTarget {
    std::string device;  // what the serial facility opens: one name for every path to it
    PortProblem problem = PortProblem::None;
    std::string reason;  // the system's reason, where it gave one
};

// The port a text names, checked: a path that is no terminal is never opened.
PortTarget ResolvePortText(std::string_view portText);

// Checked before opening, so a path that is no terminal is never opened at
// all. Links are resolved, so every name of a device locks the same one.
PortTarget CheckDevice(std::string device);
// Whether a refused open that looked like a permission problem is really
// another holder of the port (a lock file, or Windows' access denied).
bool RefusalMeansInUse(const std::string& device);
// Holds an advisory lock on the open port, so no other name of it (and no
// other copy of this program, root included) can open it too.
bool LockOpenPort(std::intptr_t handle);
// Whether the system's reason for a port that failed while open says why
// (Windows' words for the failed read or write), rather than being stale (a
// hang-up seen as end of file here).
bool LossCarriesReason();
// Bytes still in the driver's transmit queue, 0 where the platform does not
// tell. The handle is the port's file descriptor or HANDLE, widened.
long DriverOutputQueueBytes(std::intptr_t handle);

}  // namespace quilvex
