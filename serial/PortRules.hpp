#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quilvex {

// The number a port text ("COM1", "COM15") selects: the number that the
// characters after "COM" (any case) begin with (sign, digits, point and
// fraction; blanks ignored), rounded half to even. No number gives 0, and so
// does a number beyond a 16-bit port number or a text that is not COM-something.
int PortNumberFromText(std::string_view portText);

// The line rate used unless another is chosen, in the window and the tool.
inline constexpr std::string_view kDefaultRate = "4800";

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
    NoPortNumber,      // a COM text that selects no port (0, negative or out of range)
    NotAPortName,      // neither COMn nor a device path
    Missing,           // the device does not exist
    NotADevice,        // it exists but is no terminal device (a file, /dev/null)
    PermissionDenied,  // this user may not open it
};

struct PortTarget {
    std::string device;  // what the serial facility opens: one name for every path to it
    PortProblem problem = PortProblem::None;
    std::string reason;  // the system's reason, where it gave one
};

// A port text that names a device path is taken as it stands; any other
// text goes through its port number.
PortTarget ResolvePortText(std::string_view portText);

// Platform rules.
bool IsDevicePathText(std::string_view portText);
std::string DeviceForPortNumber(int portNumber);
// Checked before opening, so a path that is no terminal is never opened at
// all. Links are resolved, so every name of a device locks the same one.
PortTarget CheckDevice(std::string device);
// Whether a refused open that looked like a permission problem is really
// another holder of the port (a lock file, or Windows' access denied).
bool RefusalMeansInUse(const std::string& device);
// Holds an advisory lock on the open port, so no other name of it (and no
// other copy of this program, root included) can open it too.
bool LockOpenPort(std::intptr_t handle);
// Bytes still in the driver's transmit queue, 0 where the platform does not
// tell. The handle is the port's file descriptor or HANDLE, widened.
long DriverOutputQueueBytes(std::intptr_t handle);

}  // namespace quilvex
