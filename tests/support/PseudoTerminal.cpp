#include "PseudoTerminal.hpp"

#ifdef _WIN32

// Windows has none: an empty pair, so code that sets one up still builds;
// the rows and cases that need one are skipped there.
PseudoTerminal::PseudoTerminal() = default;
PseudoTerminal::~PseudoTerminal() = default;
std::string PseudoTerminal::readAvailable(std::chrono::milliseconds) { return {}; }

#else

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

PseudoTerminal::PseudoTerminal()
{
    char name[128];
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    m_slavePath = name;
    // A child that inherited the master would keep the line up after we close it.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal()
{
    ::close(m_master);
    ::close(m_slave);
}

std::string PseudoTerminal::readAvailable(std::chrono::milliseconds wait)
{
    std::string data;
    pollfd fd{m_master, POLLIN, 0};
    int timeout = static_cast<int>(wait.count());
    while (::poll(&fd, 1, timeout) > 0 && (fd.revents & POLLIN)) {
        char buffer[65536];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
        timeout = 0;
    }
    return data;
}

#endif

std::string PseudoTerminal::readExactly(std::size_t size, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string data;
    while (data.size() < size && std::chrono::steady_clock::now() < deadline)
        data += readAvailable(std::chrono::milliseconds(50));
    return data;
}
