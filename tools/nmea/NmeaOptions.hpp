#pragma once

#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Receiver.hpp"
#include "ReplayPlayer.hpp"
#include "modGeneral.hpp"

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace quilvex {

// Exit statuses of quilvex-nmea.
enum ExitStatus {
    kExitDone = 0,         // count reached, or stopped by a signal, every byte out
    kExitOutputFailed = 1, // an output could not be opened, was lost, or refused a write; a file could not be read
    kExitUsage = 2,        // a bad command line, or a route or log with nothing to use
    kExitHeld = 3,         // ended with bytes that a held line never took
};

// A --tcp or --udp address with its host name looked up.
struct NetworkTarget {
    std::string given;       // as typed, for messages
    std::string name;        // the host name looked up; empty for a numeric host
    NetworkAddress address;  // always a numeric host
    std::string text() const;  // HOST:PORT, an IPv6 host in brackets
};

struct NmeaOptions {
    Receiver receiver{.slot = LookupPrefecture(kDefaultPrefecture)};  // as the first tick finds it
    std::optional<UtcInstant> at;     // synthetic time stamps instead of the clock
    std::optional<UtcInstant> start;  // real-time ticks stamped from here on
    long long count = 1;           // 0: until stopped
    std::optional<std::string> port;
    std::string rate{kDefaultRate};
    std::vector<NetworkTarget> tcp;
    std::vector<NetworkTarget> udp;
    std::optional<std::string> pty;
    bool quiet = false;
    std::string routeFile, replayFile;           // as given, for the start line
    std::shared_ptr<ReplayPlayer> replay;          // read up to its first fix

    bool toStandardOutput() const { return !port && tcp.empty() && udp.empty() && !pty; }
};

struct NmeaCommand {
    enum class Action { Run, List, ListPorts, Help, Version, Fail };
    Action action = Action::Run;
    NmeaOptions options;
    std::string text;  // help, version or the error message
    int status = kExitUsage;  // with Fail
};

// Host names are looked up here, before any event loop runs.
NmeaCommand ParseNmeaCommand(const QStringList& arguments);

}  // namespace quilvex
