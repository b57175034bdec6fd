#include "PortListing.hpp"

#include <QSerialPortInfo>

#include <filesystem>
#include <map>

namespace quilvex {
namespace {

// The stable names udev gives USB adapters, by the device they lead to.
std::map<std::string, std::string> StableNames()
{
    std::map<std::string, std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", error)) {
        const auto target = std::filesystem::canonical(entry.path(), error);
        if (!error)
            names[target.string()] = entry.path().string();
    }
    return names;
}

}  // namespace

std::vector<PortDescription> SystemPorts()
{
    const auto stable = StableNames();
    std::vector<PortDescription> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef _WIN32
        const std::string port = info.portName().toStdString();
#else
        const std::string port = info.systemLocation().toStdString();
#endif
        const auto name = stable.find(port);
        ports.push_back({port, info.description().toStdString(), info.manufacturer().toStdString(),
                         info.serialNumber().toStdString(), name == stable.end() ? std::string() : name->second});
    }
    return ports;
}

std::string FormatPortList(const std::vector<PortDescription>& ports)
{
    if (ports.empty())
        return "no serial ports found (a USB adapter shows up here once plugged in)\n";
    std::string text;
    for (const PortDescription& p : ports) {
        text += p.port;
        for (const std::string* field : {&p.description, &p.manufacturer, &p.serialNumber, &p.stableName})
            text += "\t" + (field->empty() ? std::string("-") : *field);
        text += "\n";
    }
    return text;
}

}  // namespace quilvex
