#include "PortRules.hpp"

#ifdef _WIN32

namespace quilvex {

bool IsDevicePathText(std::string_view portText)
{
    return portText.starts_with("\\\\.\\");
}

std::string DeviceForPortNumber(int portNumber)
{
    return "COM" + std::to_string(portNumber);
}

// Windows tells nothing useful before CreateFile; the open itself reports.
PortTarget CheckDevice(std::string device)
{
    return {std::move(device), PortProblem::None, {}};
}

long DriverOutputQueueBytes(std::intptr_t)
{
    return 0;
}

}  // namespace quilvex

#else

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace quilvex {

bool IsDevicePathText(std::string_view portText)
{
    return portText.starts_with("/");
}

// COM1 is the first serial port, /dev/ttyS0.
std::string DeviceForPortNumber(int portNumber)
{
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

PortTarget CheckDevice(std::string device)
{
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) {
        const int error = errno;
        return {std::move(device), PortProblem::Missing, std::strerror(error)};
    }
    if (!S_ISCHR(info.st_mode))
        return {std::move(device), PortProblem::NotADevice, {}};
    return {std::move(device), PortProblem::None, {}};
}

long DriverOutputQueueBytes(std::intptr_t handle)
{
    int queued = 0;
    if (handle < 0 || ::ioctl(static_cast<int>(handle), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

}  // namespace quilvex

#endif
