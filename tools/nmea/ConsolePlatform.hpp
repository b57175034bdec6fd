#pragma once

#include <QObject>

namespace quilvex {

// Standard output carries CR LF as they stand, never translated.
void UseBinaryStandardOutput();

// Whether a status line rewritten in place can be shown.
bool StandardErrorIsTerminal();

// Calls the slot on the receiver, on its own thread, at SIGINT, SIGTERM or
// SIGHUP (Ctrl+C, Ctrl+Break or closing the console on Windows).
void QuitOnStopSignal(QObject* receiver, const char* slot);

}  // namespace quilvex
