#pragma once

#include "modGeneral.hpp"

#include <QStringList>

#include <optional>
#include <string>

namespace quilvex {

struct NmeaOptions {
    int slot = 13;
    std::optional<UtcInstant> at;  // synthetic time stamps instead of the clock
    long long count = 1;           // 0: until interrupted
    std::optional<std::string> port;
    std::string rate = "4800";
};

struct NmeaCommand {
    enum class Action { Run, List, Help, Version, Fail };
    Action action = Action::Run;
    NmeaOptions options;
    std::string text;  // help, version or the error message
};

NmeaCommand ParseNmeaCommand(const QStringList& arguments);

}  // namespace quilvex
