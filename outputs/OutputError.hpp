#pragma once

#include "Language.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace quilvex {

enum class OutputErrorKind {
    NoPortNumber,      // COM with no usable number
    NotAPortName,      // neither COMn nor a device path ("ACM1"); never guessed
    Missing,           // no such device
    NotADevice,        // a file, a directory or a character device that is no terminal
    PermissionDenied,  // the device exists but this user may not open it
    BadSettings,       // the settings text is no rate,n,8,1
    RateRefused,       // the port would not take the rate
    InUse,             // another program, or another name of the same device, holds it
    OpenFailed,        // any other refusal of the open
    Lost,              // the port failed while open (adapter pulled, peer gone)
    BadAddress,        // a network address text that names no address
    HostNotFound,      // the host name of a network address is known to no one
    AddressInUse,      // another program listens on that TCP address
    ListenFailed,      // the TCP server could not listen there for another reason
    PathExists,        // the virtual port's path is taken
    UnsafePath,        // the way to it passes another user's link in a shared directory
    WriteFailed,       // standard output refused a write
};

// What failed, on what, and the system's reason; each front end words it in
// its own language. `portText` is the text the user gave: a port, an
// address or a path.
struct OutputError {
    OutputErrorKind kind = OutputErrorKind::OpenFailed;
    std::string portText;
    std::string device;  // empty when the text selects no device
    std::string settings;
    std::string reason;  // the system's own words, where it gave any
};

// A reason the system or Qt gave in English, for the window: the Japanese
// sentence where the reason table has one, else the English as it stands in
// parentheses.
std::string JapaneseReason(std::string_view english);

// The message for the command line (English) or the window (Japanese), UTF-8.
// The window names `ports`, the serial ports the system has, where a device
// is missing; the command line points to --list-ports.
std::string OutputErrorMessage(const OutputError& error, Language language, const std::vector<std::string>& ports = {});

}  // namespace quilvex
