#pragma once

#include "ConsolePlatform.hpp"
#include "ExitStatus.hpp"
#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "ReplayPlayer.hpp"
#include "modGeneral.hpp"

#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quilvex {

// One place the ticks go, as the command line gave it.
struct Destination {
    enum class Kind { SerialPort, Tcp, Udp, VirtualPort };
    Kind kind;
    std::string option;      // "--port", "--tcp", "--udp" or "--pty", for messages
    std::string given;       // as typed
    NetworkAddress address;  // TCP and UDP: the host as given, a numeric one once resolved
    std::string name;        // TCP and UDP: the host name looked up; empty for a numeric host
    std::string text() const;  // TCP and UDP: HOST:PORT, an IPv6 host in brackets; else as given
};

struct NmeaOptions {
    Receiver receiver{.slot = LookupPrefecture(kDefaultPrefecture)};  // as the first tick finds it
    std::optional<UtcInstant> at;     // synthetic time stamps instead of the clock
    std::optional<UtcInstant> start;  // real-time ticks stamped from here on
    long long count = 1;              // ticks (epochs); 0: until stopped
    int hz = 1;                       // ticks a second
    std::vector<Destination> destinations;  // none: standard output
    std::string rate{kDefaultRate};   // of the serial port
    bool quiet = false;
    std::string routeFile, replayFile;     // as given; read by ParseNmeaCommand
    int pace = 1;
    bool loop = false;
    std::shared_ptr<ReplayPlayer> replay;  // read as the run goes

    bool toStandardOutput() const { return destinations.empty(); }
    const Destination* serialPort() const;
};

struct NmeaCommand {
    enum class Action { Run, List, ListPorts, Help, Version, Fail, Stopped };
    Action action = Action::Run;
    NmeaOptions options;
    std::string text;  // help, version or the error message
    ExitStatus status = kExitUsage;  // with Fail
};

// The command line (without the program's name) read against the option
// table: nothing is looked up or opened. An option that takes a value takes
// the next argument unless that names an option (--quiet, -h); --NAME=VALUE
// takes VALUE as it stands.
NmeaCommand ParseNmeaArguments(const std::vector<std::string>& arguments);

// Then the host names of TCP and UDP destinations are looked up (the first
// address, IPv4 first), and no two destinations may be one place.
NmeaCommand ResolveDestinations(NmeaCommand command,
                                const std::function<HostLookup(const std::string&)>& lookUp = LookUpHost);

// Then a --route file is read into the receiver (status 1 for a file that
// cannot be read, 2 for one with nothing usable in it; Stopped when a stop
// signal came while it was read), and a --replay file given its
// player, which reads it once the run starts.
NmeaCommand ReadTripFiles(NmeaCommand command);

// All three, for main(): the program's own arguments as Qt has them.
NmeaCommand ParseNmeaCommand(const QStringList& arguments);

}  // namespace quilvex
