#include "PortPlatform.hpp"

namespace quilvex {

PortTarget ResolvePortText(std::string_view portText)
{
    PortChoice choice = ChoosePort(portText);
    if (choice.problem != PortProblem::None)
        return {{}, choice.problem, {}};
    return CheckDevice(std::move(choice.device));
}

}  // namespace quilvex

#ifdef _WIN32

namespace quilvex {

// Windows tells nothing useful before CreateFile; the open itself reports.
PortTarget CheckDevice(std::string device)
{
    return {std::move(device), PortProblem::None, {}};
}

long DriverOutputQueueBytes(std::intptr_t)
{
    return 0;
}

// An adapter pulled fails the pending read or write with its own error
// (ERROR_DEVICE_REMOVED, ERROR_ACCESS_DENIED, ...), worth showing.
bool LossCarriesReason()
{
    return true;
}

// CreateFile answers ERROR_ACCESS_DENIED for a COM port another program holds.
bool RefusalMeansInUse(const std::string&)
{
    return true;
}

// Windows opens COM ports exclusively already.
bool LockOpenPort(std::intptr_t)
{
    return true;
}

}  // namespace quilvex

#else

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quilvex {

namespace {

// Terminals without opening them: opening some character devices acts
// (a watchdog starts counting). Pseudo-terminal slaves have majors 136-143
// and no sysfs entry; other terminals belong to the tty class, where the
// multiplexer /dev/ptmx is the one that is not a terminal.
bool IsTerminal(dev_t rdev)
{
    const unsigned major = major(rdev), minor = minor(rdev);
    if (major >= 136 && major <= 143)
        return true;
    if (major == 5 && minor == 2)
        return false;
    const std::string entry = "/sys/dev/char/" + std::to_string(major) + ":" + std::to_string(minor);
    std::error_code error;
    const auto subsystem = std::filesystem::read_symlink(entry + "/subsystem", error);
    if (error)
        return !std::filesystem::exists("/sys/dev/char", error);  // no sysfs: the open decides
    return subsystem.filename() == "tty";
}

}  // namespace

PortTarget CheckDevice(std::string device)
{
    char resolved[PATH_MAX];
    if (::realpath(device.c_str(), resolved) == nullptr) {
        const int error = errno;
        return {std::move(device), PortProblem::Missing, std::strerror(error)};
    }
    struct stat info {};
    if (::stat(resolved, &info) != 0) {
        const int error = errno;
        return {std::move(device), PortProblem::Missing, std::strerror(error)};
    }
    if (!S_ISCHR(info.st_mode) || !IsTerminal(info.st_rdev))
        return {resolved, PortProblem::NotADevice, {}};
    if (::access(resolved, R_OK | W_OK) != 0)
        return {resolved, PortProblem::PermissionDenied, std::strerror(errno)};
    return {resolved, PortProblem::None, {}};
}

bool LossCarriesReason()
{
    return false;
}

// Permission was checked before the open, so a refusal now is a lock held.
bool RefusalMeansInUse(const std::string& device)
{
    return ::access(device.c_str(), R_OK | W_OK) == 0;
}

bool LockOpenPort(std::intptr_t handle)
{
    return handle >= 0 && ::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0;
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
