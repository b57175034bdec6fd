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

// The highest rate Linux serial drivers name (B4000000); the tool refuses more.
inline constexpr long long kHighestRate = 4'000'000;

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
    Missing,           // the device does not exist (found by the output)
    NotADevice,        // it exists but is no terminal device (a file, /dev/null)
    PermissionDenied,  // this user may not open it
};

// What a port text names, before any device is looked at: a device path,
// or the reason it names none.
struct PortChoice {
    std::string device;
    PortProblem problem = PortProblem::None;
};

// A port text that names a device path is taken as it stands; any other
// text goes through its port number.
PortChoice ChoosePort(std::string_view portText);

// Platform rules for names: a path or COMn on Windows, /dev/ttyS(n-1) here.
bool IsDevicePathText(std::string_view portText);
std::string DeviceForPortNumber(int portNumber);

// A text a user typed can be any length; messages keep its start and end.
std::string ShortenedForMessage(const std::string& text);

// For a text that is no port name: the device path it most likely means.
std::string SuggestedDevicePath(const std::string& portText);
// A serial device path as this platform writes one, for messages.
std::string ExampleDevicePath();

}  // namespace quilvex
