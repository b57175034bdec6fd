#pragma once

#include <QObject>

#include <string>

namespace quilvex {

// What --help adds about this platform: how a run stops and the fix is
// toggled where the POSIX signals do not exist.
std::string PlatformHelp();

// Standard output carries CR LF as they stand, never translated.
void UseBinaryStandardOutput();

// Puts /dev/null on standard streams that were closed, so no file opened
// later takes their place and receives ticks; false when standard output
// was one of them.
bool StandardOutputWasOpen();

// Whether a status line rewritten in place can be shown.
bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();
// Standard error is a terminal and this program is in its foreground process
// group: Ctrl+C reaches it, and a line rewritten in place splices into no
// other program's output.
bool InTerminalForeground();
// Both streams are one terminal, however each was opened.
bool StandardStreamsShareTerminal();

// A write to a pipe nobody reads any more fails instead of ending the
// program, for runs whose standard output carries no ticks: a log reader
// going away must not end the run and leave a virtual port behind.
void SurviveClosedPipes();

// A host name or address text looked up: the first address, IPv4 first,
// as numeric text.
struct HostLookup {
    enum class Outcome { Numeric, Found, NoSuchName, NoAnswer };
    Outcome outcome = Outcome::NoAnswer;
    std::string address;
    std::string reason;  // the resolver's words when nothing was found
};
HostLookup LookUpHost(const std::string& host);

}  // namespace quilvex
