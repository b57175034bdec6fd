#include "PtyOutput.hpp"

#include "LinkRules.hpp"
#include "ProcessSignals.hpp"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <utility>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// Whether a reader holds the port. We keep no descriptor of the far end
// open, so the kernel's own count of its openers answers: from the moment
// the last one closes until someone opens it again, the master reports
// POLLHUP (and reads fail with EIO). What we need of the far end (what it
// holds unread, a flush, its settings) goes through a descriptor opened from
// the master for the moment (TIOCGPTPEER: no path, so nothing else can be
// opened in its place) and closed at once. Settings outlive the openers, so
// the raw ones set at the start stay for the next reader; while nobody holds
// the port they are put back if a reader changed them.

namespace quilvex {
namespace {

constexpr int kMostLinks = 40;  // as many as the kernel follows in one path

std::deque<std::string> Components(const std::string& path)
{
    std::deque<std::string> parts;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at && path.compare(at, end - at, ".") != 0)
            parts.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME];
}

std::string ReadLinkAt(int dir, const std::string& name)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlinkat(dir, name.c_str(), target, sizeof target);
    return n > 0 && n < static_cast<ssize_t>(sizeof target) ? std::string(target, static_cast<std::size_t>(n))
                                                            : std::string();
}

}  // namespace

PtyOutput::PtyOutput(std::string path, QObject* parent) : TickOutput(parent), m_path(std::move(path)) {}

PtyOutput::~PtyOutput()
{
    close();
}

OutputError PtyOutput::errorOn(OutputErrorKind kind, std::string reason) const
{
    return {kind, m_path, m_slavePath, {}, std::move(reason)};
}

// The link's directory, one component at a time with O_NOFOLLOW, so what is
// checked is what is used: a link on the way is followed only where
// MayFollowLink allows, and the link is then made and removed in the
// directory found here, whatever is renamed meanwhile.
std::optional<OutputError> PtyOutput::openDirectory()
{
    const std::size_t slash = m_path.rfind('/');
    m_name = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
    if (m_name.empty() || m_name == "." || m_name == "..")
        return errorOn(OutputErrorKind::PathExists);
    std::deque<std::string> rest = Components(slash == std::string::npos ? "" : m_path.substr(0, slash));
    std::string walked = m_path.starts_with('/') ? "/" : "";
    m_dir = ::open(walked.empty() ? "." : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int links = 0; m_dir >= 0 && !rest.empty();) {
        const std::string name = rest.front();
        rest.pop_front();
        const std::string here = walked + name;
        if (const int next = ::openat(m_dir, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); next >= 0) {
            ::close(m_dir);
            m_dir = next;
            walked = here + "/";
            continue;
        }
        const int error = errno;
        struct stat link {}, directory {};
        if (::fstatat(m_dir, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(link.st_mode) ||
            ::fstat(m_dir, &directory) != 0)
            return errorOn(OutputErrorKind::OpenFailed, std::strerror(error));
        if (!MayFollowLink({link.st_uid, directory.st_uid, directory.st_mode, ::geteuid()}))
            return errorOn(OutputErrorKind::UnsafePath, here);
        const std::string target = ReadLinkAt(m_dir, name);
        if (target.empty() || ++links > kMostLinks)
            return errorOn(OutputErrorKind::OpenFailed, std::strerror(ELOOP));
        const std::deque<std::string> more = Components(target);
        rest.insert(rest.begin(), more.begin(), more.end());
        if (target.starts_with('/')) {
            ::close(m_dir);
            m_dir = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
            walked.assign(1, '/');
        }
    }
    if (m_dir < 0)
        return errorOn(OutputErrorKind::OpenFailed, std::strerror(errno));
    return std::nullopt;
}

// Anything at the path is left alone, except a link a killed run left.
std::optional<OutputError> PtyOutput::clearStaleLink()
{
    struct stat there {}, led {};
    if (::fstatat(m_dir, m_name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    const std::string target = S_ISLNK(there.st_mode) ? ReadLinkAt(m_dir, m_name) : std::string();
    const bool targetExists = ::stat(target.c_str(), &led) == 0 || errno != ENOENT;
    if (!IsStalePtyLink(target, targetExists) || ::unlinkat(m_dir, m_name.c_str(), 0) != 0)
        return errorOn(OutputErrorKind::PathExists);
    emit notice(QString::fromStdString("replaced a stale link at " + m_path + " (it led to " + target +
                                       ", which is gone)"));
    return std::nullopt;
}

std::optional<OutputError> PtyOutput::open()
{
    close();
    resetCounts();
    m_slavePath.clear();
    auto refused = openDirectory();
    if (!refused)
        refused = clearStaleLink();
    if (refused) {
        close();
        return refused;
    }

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || !::ptsname(m_master)) {
        const int error = errno;
        close();
        return errorOn(OutputErrorKind::OpenFailed, std::strerror(error));
    }
    m_slavePath = ::ptsname(m_master);
    // Opening and closing the far end once also starts the hang-up that says nobody holds it.
    const int far = farEnd();
    if (far < 0 || ::tcgetattr(far, &m_raw) != 0) {
        const int error = errno;
        if (far >= 0)
            ::close(far);
        close();
        return errorOn(OutputErrorKind::OpenFailed, std::strerror(error));
    }
    ::close(far);
    ::cfmakeraw(&m_raw);
    readyForNextReader();
    if (::symlinkat(m_slavePath.c_str(), m_dir, m_name.c_str()) != 0) {
        const int error = errno;
        close();
        return errorOn(error == EEXIST ? OutputErrorKind::PathExists : OutputErrorKind::OpenFailed,
                       std::strerror(error));
    }
    m_linked = true;
    m_forcedExitSlot = RemoveAtForcedExit(m_dir, m_name, m_slavePath);
    // What a reader writes (gpsd probes) is read and dropped, so it never blocks.
    m_readable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_readable->setEnabled(false);  // a hang-up would wake it at once; enabled while a reader holds the port
    connect(m_readable.get(), &QSocketNotifier::activated, this, &PtyOutput::readAndDrop);
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
    m_pace = {};
    m_attached = false;
    KeepAtForcedExit(std::exchange(m_forcedExitSlot, -1));
    // Only our own link goes; anything put there since stays.
    if (m_linked && ReadLinkAt(m_dir, m_name) == m_slavePath)
        ::unlinkat(m_dir, m_name.c_str(), 0);
    m_linked = false;
    for (int* fd : {&m_master, &m_dir}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool PtyOutput::readerHolds() const
{
    pollfd master{m_master, 0, 0};
    return m_master >= 0 && ::poll(&master, 1, 0) >= 0 && !(master.revents & POLLHUP);
}

int PtyOutput::farEnd() const
{
    return ::ioctl(m_master, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Nothing is kept for whoever opens the port next, and it finds it raw.
void PtyOutput::readyForNextReader()
{
    m_attached = false;
    m_pending.clear();
    m_pace = {};
    if (m_readable)
        m_readable->setEnabled(false);
    if (m_writable)
        m_writable->setEnabled(false);
    if (const int far = farEnd(); far >= 0) {
        ::tcflush(far, TCIOFLUSH);
        termios now{};
        if (::tcgetattr(far, &now) != 0 || !SameSettings(now, m_raw))
            ::tcsetattr(far, TCSANOW, &m_raw);
        ::close(far);
    }
    char buffer[512];
    while (::read(m_master, buffer, sizeof buffer) > 0) {
    }
}

void PtyOutput::readAndDrop()
{
    char buffer[512];
    while (::read(m_master, buffer, sizeof buffer) > 0) {
    }
    if (!readerHolds())
        readyForNextReader();
}

// Nobody holding the port, nothing waits. A reader's unread bytes are
// counted through the far end; the poll first hands its line what the pty
// still carries, which would otherwise be missed for a moment after a write.
// (A reader that set exclusive use keeps an unprivileged run out of the far
// end; then only what the pty refused counts.)
long long PtyOutput::waiting() const
{
    if (!readerHolds())
        return 0;
    int unread = 0;
    if (const int far = farEnd(); far >= 0) {
        pollfd line{far, POLLIN, 0};
        ::poll(&line, 1, 0);
        if (::ioctl(far, FIONREAD, &unread) != 0)
            unread = 0;
        ::close(far);
    }
    return unread + static_cast<long long>(m_pending.size());
}

void PtyOutput::sendTick(const Tick& tick)
{
    if (m_master < 0)
        return;
    if (!readerHolds()) {  // a line with nothing at the far end: the tick goes nowhere, and is no skip
        readyForNextReader();  // also after a reader that came and went between ticks
        return;
    }
    if (!m_attached) {
        m_attached = true;
        m_readable->setEnabled(true);
    }
    const bool goes = admit(m_pace, waiting(), [this] {
        m_pending.clear();
        if (const int far = farEnd(); far >= 0) {
            ::tcflush(far, TCIFLUSH);
            ::close(far);
        }
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
