#pragma once

#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "modGeneral.hpp"

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace quilvex {

struct NmeaOptions {
    int slot = LookupPrefecture(kDefaultPrefecture);
    std::optional<UtcInstant> at;  // synthetic time stamps instead of the clock
    long long count = 1;           // 0: until interrupted
    std::optional<std::string> port;
    std::string rate{kDefaultRate};
    std::vector<std::string> tcp;  // [HOST:]PORT as given
    std::vector<std::string> udp;  // HOST:PORT as given
    std::optional<std::string> pty;
    bool quiet = false;
};

struct NmeaCommand {
    enum class Action { Run, List, ListPorts, Help, Version, Fail };
    Action action = Action::Run;
    NmeaOptions options;
    std::string text;  // help, version or the error message
};

NmeaCommand ParseNmeaCommand(const QStringList& arguments);

}  // namespace quilvex
