#include "PortRules.hpp"

#include "NumberText.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quilvex {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The leading number of a text with blanks dropped, 0 when there is none.
double LeadingNumber(std::string_view text)
{
    std::string compact;
    for (char c : text) {
        if (!IsBlank(c))
            compact += c;
    }
    const std::string_view number = std::string_view(compact).substr(0, DecimalLength(compact, kLooseDecimal));
    return DecimalValue(number, kLooseDecimal).value_or(0);
}

}  // namespace

namespace {
bool IsComText(std::string_view text)
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return text.size() >= 3 && upper(text[0]) == 'C' && upper(text[1]) == 'O' && upper(text[2]) == 'M';
}
}  // namespace

int PortNumberFromText(std::string_view portText)
{
    if (!IsComText(portText))
        return 0;
    const std::string_view digits = portText.substr(3);
    const double rounded = std::nearbyint(LeadingNumber(digits));  // ties to even
    if (!(std::fabs(rounded) <= std::numeric_limits<std::int16_t>::max()))
        return 0;
    return static_cast<int>(rounded);
}

std::string SettingsText(std::string_view rateText)
{
    std::string settings(rateText);
    settings += ",n,8,1";
    return settings;
}

std::optional<LineSettings> ParseSettings(std::string_view settings)
{
    std::string_view fields[4];
    std::size_t count = 0;
    while (true) {
        const std::size_t comma = settings.find(',');
        if (count == 4)
            return std::nullopt;
        fields[count++] = settings.substr(0, comma);
        if (comma == std::string_view::npos)
            break;
        settings.remove_prefix(comma + 1);
    }
    if (count != 4)
        return std::nullopt;

    LineSettings line;
    const auto rate = WholeValue<int>(fields[0]);
    if (!rate || *rate <= 0)
        return std::nullopt;
    line.rate = *rate;

    if (fields[1].size() != 1 || std::string_view("neo").find(fields[1][0]) == std::string_view::npos)
        return std::nullopt;
    line.parity = fields[1][0];
    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8')
        return std::nullopt;
    line.dataBits = fields[2][0] - '0';
    if (fields[3] != "1" && fields[3] != "2")
        return std::nullopt;
    line.stopBits = fields[3][0] - '0';
    return line;
}

PortChoice ChoosePort(std::string_view portText)
{
    if (IsDevicePathText(portText))
        return {std::string(portText), PortProblem::None};
    if (!portText.empty() && !IsComText(portText))
        return {{}, PortProblem::NotAPortName};
    const int number = PortNumberFromText(portText);
    if (number < 1)
        return {{}, PortProblem::NoPortNumber};
    return {DeviceForPortNumber(number), PortProblem::None};
}

#ifdef _WIN32
bool IsDevicePathText(std::string_view portText)
{
    return portText.starts_with("\\\\.\\");
}

std::string DeviceForPortNumber(int portNumber)
{
    return "COM" + std::to_string(portNumber);
}
#else
bool IsDevicePathText(std::string_view portText)
{
    return portText.starts_with("/");
}

// COM1 is the first serial port, /dev/ttyS0.
std::string DeviceForPortNumber(int portNumber)
{
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}
#endif

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

#ifdef _WIN32
namespace {
// Windows' own devices in every folder (NUL, CON, ...): \\.\NUL is the
// null device, never a port to suggest.
bool IsReservedDeviceName(std::string text)
{
    for (char& c : text)
        c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    for (const char* name : {"NUL", "CON", "PRN", "AUX", "CONIN$", "CONOUT$", "CLOCK$"})
        if (text == name)
            return true;
    return text.size() == 4 && text.starts_with("LPT") && text[3] >= '0' && text[3] <= '9';
}
}  // namespace

std::string SuggestedDevicePath(const std::string& portText)
{
    return IsReservedDeviceName(portText) ? ExampleDevicePath() : "\\\\.\\" + portText;
}

std::string ExampleDevicePath()
{
    return "\\\\.\\COM10";
}
#else
std::string SuggestedDevicePath(const std::string& portText)
{
    return portText.starts_with("tty") ? "/dev/" + portText : "/dev/tty" + portText;
}

std::string ExampleDevicePath()
{
    return "/dev/ttyUSB0";
}
#endif

}  // namespace quilvex
