#pragma once

#include <QObject>

namespace quilvex {

// Standard output carries CR LF as they stand, never translated.
void UseBinaryStandardOutput();

// Puts /dev/null on standard streams that were closed, so no file opened
// later takes their place and receives ticks; false when standard output
// was one of them.
bool StandardOutputWasOpen();

// Whether a status line rewritten in place can be shown.
bool StandardErrorIsTerminal();

// Calls the slot on the receiver, on its own thread, at SIGINT, SIGTERM or
// SIGHUP (Ctrl+C, Ctrl+Break or closing the console on Windows).
void QuitOnStopSignal(QObject* receiver, const char* slot);

}  // namespace quilvex
