#pragma once

#include <string>
#include <vector>

namespace quilvex {

// A serial port this system has, as the user would name it.
struct PortDescription {
    std::string port;  // the text to give as the port: a device path here, COMn on Windows
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    std::string stableName;  // /dev/serial/by-id/... where there is one
};

// Asks the system (QSerialPortInfo), in the order it gives.
std::vector<PortDescription> SystemPorts();

// One port a line: the port text, then the known details, tab-separated.
std::string FormatPortList(const std::vector<PortDescription>& ports);

}  // namespace quilvex
