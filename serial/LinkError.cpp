#include "LinkError.hpp"

namespace quilvex {

std::string EnglishMessage(const LinkError& e)
{
    std::string on = "port \"" + e.portText + "\"";
    if (!e.device.empty() && e.device != e.portText)
        on += " (" + e.device + ")";
    const std::string because = e.reason.empty() ? std::string{} : ": " + e.reason;
    switch (e.kind) {
    case LinkErrorKind::NoPortNumber:
        return "cannot open " + on +
               ": the text selects no port (use COM1 or above, or a device path such as /dev/ttyUSB0)";
    case LinkErrorKind::Missing:
        return "cannot open " + on + ": no such device" + because;
    case LinkErrorKind::NotADevice:
        return "cannot open " + on + ": not a serial or terminal device";
    case LinkErrorKind::BadSettings:
        return "cannot open " + on + ": \"" + e.settings +
               "\" is not a line setting (the rate must be a whole number of bit/s above 0)";
    case LinkErrorKind::RateRefused:
        return "cannot open " + on + ": the port refused the settings \"" + e.settings + "\"" +
               because;
    case LinkErrorKind::InUse:
        return "cannot open " + on + ": in use by another program" + because;
    case LinkErrorKind::OpenFailed:
        return "cannot open " + on + because;
    case LinkErrorKind::Lost:
        return "lost " + on + " while sending" +
               (e.reason.empty() ? ": the device went away (unplugged, or the other end closed)" : because);
    }
    return "cannot open " + on;
}

}  // namespace quilvex
