#include "PtyOutput.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace quilvex {

PtyOutput::PtyOutput(std::string path, QObject* parent) : TickOutput(parent), m_path(std::move(path)) {}

PtyOutput::~PtyOutput()
{
    close();
}

LinkError PtyOutput::errorOn(LinkErrorKind kind, std::string reason) const
{
    return {kind, m_path, m_slavePath, {}, std::move(reason)};
}

std::optional<LinkError> PtyOutput::open()
{
    close();
    resetCounts();
    m_pace = {};
    struct stat existing {};
    if (::lstat(m_path.c_str(), &existing) == 0)
        return errorOn(LinkErrorKind::PathExists);

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || !::ptsname(m_master)) {
        const int error = errno;
        close();
        return errorOn(LinkErrorKind::OpenFailed, std::strerror(error));
    }
    m_slavePath = ::ptsname(m_master);
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) {
        const int error = errno;
        close();
        return errorOn(LinkErrorKind::OpenFailed, std::strerror(error));
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    if (::symlink(m_slavePath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        close();
        return errorOn(error == EEXIST ? LinkErrorKind::PathExists : LinkErrorKind::OpenFailed,
                       std::strerror(error));
    }
    m_linked = true;
    // What a reader writes (gpsd probes) is read and dropped, so it never blocks.
    m_readable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[512];
        while (::read(m_master, buffer, sizeof buffer) > 0) {
        }
    });
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &PtyOutput::writePending);
    return std::nullopt;
}

void PtyOutput::close()
{
    m_readable.reset();
    m_writable.reset();
    m_pending.clear();
    if (m_linked) {
        // Only our own link goes; anything put there since stays.
        char target[PATH_MAX];
        const ssize_t n = ::readlink(m_path.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
            ::unlink(m_path.c_str());
        m_linked = false;
    }
    for (int* fd : {&m_slave, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

long long PtyOutput::waiting() const
{
    int unread = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &unread) != 0)
        unread = 0;
    return unread + static_cast<long long>(m_pending.size());
}

void PtyOutput::sendTick(const Tick& tick)
{
    if (m_master < 0)
        return;
    const bool goes = admit(m_pace, waiting(), [this] {
        m_pending.clear();
        ::tcflush(m_slave, TCIFLUSH);
    });
    if (!goes)
        return;
    m_pending = JoinTick(tick);
    m_pace.sent(static_cast<long long>(m_pending.size()), HeldLine::Clock::now());
    writePending();
}

// The pty takes what fits; the rest follows when it has room.
void PtyOutput::writePending()
{
    const ssize_t n = ::write(m_master, m_pending.data(), m_pending.size());
    if (n > 0)
        m_pending.erase(0, static_cast<std::size_t>(n));
    m_writable->setEnabled(!m_pending.empty());
}

}  // namespace quilvex
