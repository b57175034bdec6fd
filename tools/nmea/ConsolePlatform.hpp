#pragma once

#include "HelpWords.hpp"

#include <QObject>

#include <string>

namespace quilvex {

// The words --help uses on this system.
const HelpWords& PlatformHelpWords();

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
// What goes to standard output may show on the terminal standard error is
// on: standard output is that terminal, or a pipe or socket, whose reader
// (`| cat`, `| tee log`) may well print there; which reader it is cannot be
// known, so any counts.
bool StandardOutputMayShowOnTerminal();
// Whether standard error's terminal takes escape codes (a line erased to its
// end); a Windows console does once its VT processing is on, which this turns
// on where the console has it.
bool StandardErrorTakesEscapes();
// The end of the start line of a run that goes on until stopped: the ways
// this process can be stopped from where it runs.
std::string HowToStop();

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
