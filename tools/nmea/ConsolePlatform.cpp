#include "ConsolePlatform.hpp"

#include <QMetaObject>

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace quilvex {
namespace {
QObject* g_receiver = nullptr;
const char* g_slot = nullptr;

BOOL WINAPI OnConsoleControl(DWORD)
{
    QMetaObject::invokeMethod(g_receiver, g_slot, Qt::QueuedConnection);
    return TRUE;
}
}  // namespace

void UseBinaryStandardOutput()
{
    _setmode(_fileno(stdout), _O_BINARY);
}

bool StandardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

bool StandardOutputWasOpen()
{
    return _get_osfhandle(1) != -1;
}

void QuitOnStopSignal(QObject* receiver, const char* slot)
{
    g_receiver = receiver;
    g_slot = slot;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace quilvex

#else

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quilvex {
namespace {
int g_signalPipe[2] = {-1, -1};

// Only write() is safe in a handler; the event loop does the rest.
void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}
}  // namespace

void UseBinaryStandardOutput() {}

bool StandardErrorIsTerminal()
{
    return ::isatty(2) == 1;
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

void QuitOnStopSignal(QObject* receiver, const char* slot)
{
    if (::pipe(g_signalPipe) != 0)
        return;
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, receiver);
    QObject::connect(notifier, &QSocketNotifier::activated, receiver, [receiver, slot] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        QMetaObject::invokeMethod(receiver, slot, Qt::QueuedConnection);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a write blocked on standard output goes on waiting in
    // its own thread while the event loop ends the run.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

}  // namespace quilvex

#endif
