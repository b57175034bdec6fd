#include "InputPlatform.hpp"

#ifdef _WIN32

namespace quilvex {

int OpenFifoWithWriter(const std::string&, int)
{
    return kNoWriter;
}

bool IsTerminal(const std::string&)
{
    return false;
}

}  // namespace quilvex

#else

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace quilvex {

int OpenFifoWithWriter(const std::string& path, int limitMs)
{
    constexpr int kSliceMs = 50;  // between looks for a writer after one left with nothing
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return kNoWriter;
    pollfd ready{fd, POLLIN, 0};
    int outcome = kNoWriter;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (outcome == kNoWriter) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        if (::poll(&ready, 1, int(left.count())) == 1 && (ready.revents & POLLIN))
            outcome = fd;
        else if (ready.revents & POLLHUP)  // a writer came and went with nothing: wait for another
            ::poll(nullptr, 0, std::min(kSliceMs, int(left.count())));
    }
    if (outcome != fd) {
        ::close(fd);
        return outcome;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool IsTerminal(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const bool terminal = fd >= 0 && ::isatty(fd) == 1;
    if (fd >= 0)
        ::close(fd);
    return terminal;
}

}  // namespace quilvex

#endif
