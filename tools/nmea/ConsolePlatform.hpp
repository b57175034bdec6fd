#pragma once

#include <QObject>

namespace quilvex {

// Standard output carries CR LF as they stand, never translated.
void UseBinaryStandardOutput();

// Calls quit() on the application, on its own thread, at SIGINT or SIGTERM
// (Ctrl+C or Ctrl+Break on Windows).
void QuitOnStopSignal(QObject* receiver, const char* slot);

}  // namespace quilvex
