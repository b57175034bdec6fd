#include "ProcessSignals.hpp"

#include <QMetaObject>

#ifdef _WIN32

#include <windows.h>

namespace quilvex {
namespace {
QObject* g_context = nullptr;
std::function<void(ProcessSignal)> g_handler;

// Ctrl+C and Ctrl+Break end the run as SIGINT does. A closed console,
// logoff or shutdown ends the process as soon as this returns, so it waits
// here while the event loop drains and the program exits (Windows allows
// about 5 s).
BOOL WINAPI OnConsoleControl(DWORD event)
{
    QMetaObject::invokeMethod(g_context, [] { g_handler(ProcessSignal::Stop); }, Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}
}  // namespace

void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler, bool stops)
{
    if (!stops)
        return;
    g_context = context;
    g_handler = std::move(handler);
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
void OnSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}
}  // namespace

void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler, bool stops)
{
    if (g_signalPipe[0] < 0 && ::pipe(g_signalPipe) != 0)
        return;
    ::fcntl(g_signalPipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(g_signalPipe[1], F_SETFD, FD_CLOEXEC);
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
        char byte = 0;
        if (::read(g_signalPipe[0], &byte, 1) == 1)
            handler(byte == SIGUSR1 ? ProcessSignal::ToggleFix : ProcessSignal::Stop);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a write blocked on standard output goes on waiting in
    // its own thread while the event loop ends the run.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, nullptr);
    if (stops)
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR2})
            ::sigaction(signal, &action, nullptr);
}

}  // namespace quilvex

#endif
