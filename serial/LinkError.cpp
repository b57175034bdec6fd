#include "LinkError.hpp"

namespace quilvex {

std::string ShortenedForMessage(const std::string& text)
{
    constexpr std::size_t kKeep = 30;  // bytes at each end
    if (text.size() <= 2 * kKeep + 3)
        return text;
    // Cut on UTF-8 character boundaries.
    std::size_t head = kKeep;
    while (head > 0 && (static_cast<unsigned char>(text[head]) & 0xC0) == 0x80)
        --head;
    std::size_t tail = text.size() - kKeep;
    while (tail < text.size() && (static_cast<unsigned char>(text[tail]) & 0xC0) == 0x80)
        ++tail;
    return text.substr(0, head) + "..." + text.substr(tail);
}

std::string SuggestedDevicePath(const std::string& portText)
{
#ifdef _WIN32
    return "\\\\.\\" + portText;
#else
    return portText.starts_with("tty") ? "/dev/" + portText : "/dev/tty" + portText;
#endif
}

std::string EnglishMessage(const LinkError& e)
{
    const std::string text = ShortenedForMessage(e.portText);
    std::string on = "port \"" + text + "\"";
    if (!e.device.empty() && e.device != e.portText)
        on += " (" + ShortenedForMessage(e.device) + ")";
    const std::string because = e.reason.empty() ? std::string{} : ": " + e.reason;
    const std::string cannotOpen = "cannot open " + on;
    const std::string address = e.device.empty() || e.device == e.portText
        ? text : ShortenedForMessage(e.device) + " (\"" + text + "\")";
    switch (e.kind) {
    case LinkErrorKind::NoPortNumber:
        return cannotOpen + ": the text selects no port (use COM1 or above, or a device path such as /dev/ttyUSB0)";
    case LinkErrorKind::NotAPortName:
        return cannotOpen + ": only COM1, COM2, ... are port numbers; for a device give its path, such as " +
               SuggestedDevicePath(text);
    case LinkErrorKind::Missing:
        return cannotOpen + ": no such device";
    case LinkErrorKind::NotADevice:
        return cannotOpen + ": not a serial or terminal device";
    case LinkErrorKind::PermissionDenied:
        return cannotOpen + ": permission denied (on Linux, join the group that owns the device, often dialout)";
    case LinkErrorKind::BadSettings:
        return cannotOpen + ": \"" + e.settings +
               "\" is not a line setting (the rate must be a whole number of bit/s above 0)";
    case LinkErrorKind::RateRefused:
        return cannotOpen + ": the port refused the settings \"" + e.settings + "\"" + because;
    case LinkErrorKind::InUse:
        return cannotOpen + ": in use by another program";
    case LinkErrorKind::OpenFailed:
        return cannotOpen + because;
    case LinkErrorKind::Lost:
        return "lost " + on + " while sending" +
               (e.reason.empty() ? ": the device went away (unplugged, or the other end closed)" : because);
    case LinkErrorKind::BadAddress:
        return "\"" + text + "\" is not an address" + because;
    case LinkErrorKind::AddressInUse:
        return "cannot serve TCP on " + address + ": another program listens there";
    case LinkErrorKind::ListenFailed:
        return "cannot serve TCP on " + address + because;
    case LinkErrorKind::PathExists:
        return "cannot make the virtual port \"" + text + "\": the path already exists (it is left as it is)";
    case LinkErrorKind::WriteFailed:
        return "cannot write to " + text + because;
    }
    return cannotOpen + because;
}

}  // namespace quilvex
