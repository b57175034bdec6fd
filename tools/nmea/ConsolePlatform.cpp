#include "ConsolePlatform.hpp"

#include <algorithm>
#include <chrono>

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace quilvex {
namespace {
void StartResolver()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

// With UNICODE defined gai_strerror is the wide-character one.
std::string ResolverReason(int error)
{
    return ::gai_strerrorA(error);
}
}  // namespace

const HelpWords& PlatformHelpWords()
{
    return kWindowsHelpWords;
}

// Also has a console read the UTF-8 texts (prefecture names) as UTF-8,
// and gives it back its own code page at the end.
void UseBinaryStandardOutput()
{
    _setmode(_fileno(stdout), _O_BINARY);
    static const UINT before = GetConsoleOutputCP();
    if (before != 0 && before != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(before); });
}

bool StandardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

bool InTerminalForeground()
{
    return StandardErrorIsTerminal();
}

bool StandardOutputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}

// A console has one screen buffer; two console streams share it. A pipe's
// reader (`| more`) may print to the console too.
bool StandardOutputMayShowOnTerminal()
{
    return StandardErrorIsTerminal() &&
           (StandardOutputIsTerminal() || GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE);
}

// Turned on for this run only: the console's mode is given back at the end.
bool StandardErrorTakesEscapes()
{
    static const bool takes = [] {
        const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        if (!GetConsoleMode(console, &mode))
            return false;
        // Wine's console keeps the mode but prints the codes as text.
        if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr)
            return false;
        if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
            return true;
        // A console from before Windows 10 refuses the mode, or drops it.
        DWORD set = 0;
        if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) || !GetConsoleMode(console, &set) ||
            !(set & ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            return false;
        static DWORD before = mode;
        std::atexit([] { SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), before); });
        return true;
    }();
    return takes;
}

// A console program stops at Ctrl+C, Ctrl+Break or its console closing;
// without a console only Task Manager or taskkill /F reaches it.
std::string HowToStop()
{
    if (StandardErrorIsTerminal())
        return "Ctrl+C stops";
    if (GetConsoleWindow() != nullptr)
        return "Ctrl+C or Ctrl+Break in its console stops it";
    return "stop it in Task Manager or with taskkill /F /PID " + std::to_string(GetCurrentProcessId());
}

bool StandardOutputWasOpen()
{
    return _get_osfhandle(1) != -1;
}

void SurviveClosedPipes() {}

}  // namespace quilvex

#else

#include <csignal>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilvex {
namespace {
void StartResolver() {}

std::string ResolverReason(int error)
{
    return ::gai_strerror(error);
}
}  // namespace

const HelpWords& PlatformHelpWords()
{
    return kPosixHelpWords;
}

void UseBinaryStandardOutput() {}

bool StandardErrorIsTerminal()
{
    return ::isatty(2) == 1;
}

bool InTerminalForeground()
{
    return StandardErrorIsTerminal() && ::tcgetpgrp(2) == ::getpgrp();
}

bool StandardOutputIsTerminal()
{
    return ::isatty(1) == 1;
}

bool StandardOutputMayShowOnTerminal()
{
    struct stat out {}, err {};
    if (!StandardErrorIsTerminal() || ::fstat(1, &out) != 0 || ::fstat(2, &err) != 0)
        return false;
    if (S_ISFIFO(out.st_mode) || S_ISSOCK(out.st_mode))
        return true;
    return StandardOutputIsTerminal() &&
           (out.st_rdev == err.st_rdev || (out.st_dev == err.st_dev && out.st_ino == err.st_ino));
}

bool StandardErrorTakesEscapes()
{
    return true;
}

std::string HowToStop()
{
    return InTerminalForeground() ? "Ctrl+C stops" : "stop it with kill " + std::to_string(::getpid());
}

bool StandardOutputWasOpen()
{
    bool open = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) {
            open = open && fd != 1;
            ::open("/dev/null", O_RDWR);  // takes the lowest free descriptor: this one
        }
    }
    return open;
}

void SurviveClosedPipes()
{
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace quilvex

#endif

namespace quilvex {

HostLookup LookUpHost(const std::string& host)
{
    // Names under .invalid never exist; no resolver is asked (RFC 6761).
    std::string lower = host;
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    if (lower.ends_with(".invalid") || lower.ends_with(".invalid.") || lower == "invalid")
        return {HostLookup::Outcome::NoSuchName, {}, "names under .invalid never exist"};
    StartResolver();
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;  // one entry per address
    hints.ai_flags = AI_NUMERICHOST;
    HostLookup lookup;
    lookup.outcome = HostLookup::Outcome::Numeric;
    addrinfo* found = nullptr;
    int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (error != 0) {
        lookup.outcome = HostLookup::Outcome::Found;
        hints.ai_flags = 0;
        error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    }
    if (error != 0) {
        const bool noSuchName = error == EAI_NONAME
#ifdef EAI_NODATA
                                || error == EAI_NODATA
#endif
#ifdef EAI_ADDRFAMILY
                                || error == EAI_ADDRFAMILY
#endif
            ;
        lookup.outcome = noSuchName ? HostLookup::Outcome::NoSuchName : HostLookup::Outcome::NoAnswer;
        lookup.reason = ResolverReason(error);
        return lookup;
    }
    const addrinfo* chosen = found;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET) {
            chosen = entry;
            break;
        }
    }
    char text[NI_MAXHOST] = {};
    if (::getnameinfo(chosen->ai_addr, static_cast<socklen_t>(chosen->ai_addrlen), text, sizeof text, nullptr, 0,
                      NI_NUMERICHOST) == 0)
        lookup.address = text;
    ::freeaddrinfo(found);
    if (lookup.address.empty()) {
        lookup.outcome = HostLookup::Outcome::NoAnswer;
        lookup.reason = "no address could be read from the answer";
    }
    return lookup;
}

}  // namespace quilvex
