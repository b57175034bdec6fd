#pragma once

#include <QObject>

#include <functional>
#include <string>

namespace quilvex {

enum class ProcessSignal {
    Stop,       // SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR2; Ctrl+C, Ctrl+Break, a closed console
    ToggleFix,  // SIGUSR1 (none on Windows: the window's menu item and --fix-loss are the ways in)
};

// The one place process signals are caught, for the window and the tool.
// CatchProcessSignals comes first in main, before Qt starts, so no signal
// the program handles can end it: what comes early waits for
// WatchProcessSignals, whose handler runs on `context`'s thread, from its
// event loop, never inside the signal. With `stops` false the stop signals
// keep their defaults. A stop signal the event loop has not taken within
// kForcedExitAfter ends the process with status 1, after removing every
// link given to RemoveAtForcedExit.
inline constexpr int kForcedExitAfter = 2;  // s
void CatchProcessSignals(const char* program, bool stops);
void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler);

// A stop signal came that the event loop has not taken yet: a wait outside
// it ends at once.
bool StopSignalWaiting();

// Work that may wait on a file for ever (a FIFO whose writer stalls), in a
// thread of its own that takes no signals, so they all come to the event
// loop's thread; left to end with the program if it never returns.
void RunDetached(std::function<void()> work);
// Work run so and waited for, unless a stop signal comes first: false then.
bool FinishedUnlessStopped(std::function<void()> work);

// A symbolic link `name` in the directory `directory` leading to `target`,
// removed at a forced exit if it still leads there. Gives a slot for
// KeepAtForcedExit, or -1 when the table is full.
int RemoveAtForcedExit(int directory, const std::string& name, const std::string& target);
void KeepAtForcedExit(int slot);

}  // namespace quilvex
