#pragma once

#include <QObject>

#include <functional>

namespace quilvex {

enum class ProcessSignal {
    Stop,       // SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR2; Ctrl+C, Ctrl+Break, a closed console
    ToggleFix,  // SIGUSR1 (none on Windows: the window's menu item and --fix-loss are the ways in)
};

// The one place process signals are caught, for the window and the tool:
// the handler runs on `context`'s thread, from its event loop, never inside
// the signal. With `stops` false the stop signals keep their defaults.
void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler, bool stops = true);

}  // namespace quilvex
