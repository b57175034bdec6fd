#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quilvex {

// The number a port text ("COM1", "COM15") selects: the number that the
// characters after "COM" begin with (sign, digits, point and fraction;
// blanks ignored), rounded half to even. No number gives 0, and so does a
// number beyond a 16-bit port number.
int PortNumberFromText(std::string_view portText);

// The rate text as it stands, then no parity, 8 data bits, 1 stop bit.
std::string SettingsText(std::string_view rateText);

struct LineSettings {
    int rate = 0;  // bit/s
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};

// "4800,n,8,1" -> its parts; nothing when the text is not four such fields
// with a whole positive rate.
std::optional<LineSettings> ParseSettings(std::string_view settings);

enum class PortProblem {
    None,
    NoPortNumber,  // the text selects no port (0, negative or out of range)
    Missing,       // the device does not exist
    NotADevice,    // it exists but is no terminal device (a file, a directory)
};

struct PortTarget {
    std::string device;  // what the serial facility opens
    PortProblem problem = PortProblem::None;
    std::string reason;  // the system's reason, where it gave one
};

// A port text that names a device path is taken as it stands; any other
// text goes through its port number.
PortTarget ResolvePortText(std::string_view portText);

// Platform rules.
bool IsDevicePathText(std::string_view portText);
std::string DeviceForPortNumber(int portNumber);
// Checked before opening, so a path that is no device is never opened at all.
PortTarget CheckDevice(std::string device);
// Bytes still in the driver's transmit queue, 0 where the platform does not
// tell. The handle is the port's file descriptor or HANDLE, widened.
long DriverOutputQueueBytes(std::intptr_t handle);

}  // namespace quilvex
