#include "ProcessSignals.hpp"

#include <QMetaObject>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace quilvex {
namespace {
std::mutex g_lock;  // the handler runs on a thread of its own
QObject* g_context = nullptr;
std::function<void(ProcessSignal)> g_handler;
bool g_earlyStop = false;  // came before WatchProcessSignals
std::atomic<bool> g_stopWaiting{false};  // a stop the event loop has not taken
std::string g_forcedExitMessage;

void DeliverStop()
{
    QMetaObject::invokeMethod(
        g_context, [] {
            g_stopWaiting = false;
            g_handler(ProcessSignal::Stop);
        },
        Qt::QueuedConnection);
}

// Ctrl+C and Ctrl+Break end the run as SIGINT does, from the first line of
// main on. A closed console, logoff or shutdown ends the process as soon as
// this returns, so it waits here while the event loop drains and the
// program exits (Windows allows about 5 s). A stop the event loop has not
// taken within kForcedExitAfter ends the process, as on Linux.
BOOL WINAPI OnConsoleControl(DWORD event)
{
    {
        std::lock_guard lock(g_lock);
        if (g_context)
            DeliverStop();
        else
            g_earlyStop = true;
    }
    const bool first = !g_stopWaiting.exchange(true);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    for (int waited = 0; first && g_stopWaiting && waited < kForcedExitAfter * 1000; waited += 50)
        Sleep(50);
    if (first && g_stopWaiting) {
        std::fputs(g_forcedExitMessage.c_str(), stderr);
        std::fflush(stderr);
        ExitProcess(1);
    }
    return TRUE;
}
}  // namespace

void CatchProcessSignals(const char* program, bool stops)
{
    if (!stops)
        return;
    g_forcedExitMessage = std::string(program) + ": a stop signal found the program busy for " +
                          std::to_string(kForcedExitAfter) + " s; ended by force\n";
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopSignalWaiting()
{
    return g_stopWaiting;
}

void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler)
{
    std::lock_guard lock(g_lock);
    if (g_forcedExitMessage.empty())
        return;
    g_context = context;
    g_handler = std::move(handler);
    if (g_earlyStop)  // what came while the program started counts as any other
        DeliverStop();
}

}  // namespace quilvex

#else

#include <QSocketNotifier>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace quilvex {
namespace {

int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopWaiting = 0;  // a stop signal the event loop has not taken
char g_forcedExitMessage[200] = {};
std::size_t g_forcedExitLength = 0;

enum : int { kFree, kFilling, kReady };

// Fixed storage, read inside a signal handler.
struct Removal {
    std::atomic<int> state{kFree};
    int directory = -1;
    char name[NAME_MAX + 1] = {};
    char target[PATH_MAX] = {};
    std::size_t targetLength = 0;
};
Removal g_removals[4];
static_assert(std::atomic<int>::is_always_lock_free);

// Only async-signal-safe calls in the two handlers.
void OnSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
    if (signal != SIGUSR1 && !g_stopWaiting) {
        g_stopWaiting = 1;
        ::alarm(kForcedExitAfter);
    }
    errno = saved;
}

void OnForcedExit(int)
{
    [[maybe_unused]] const auto n = ::write(STDERR_FILENO, g_forcedExitMessage, g_forcedExitLength);
    for (const Removal& removal : g_removals) {
        if (removal.state.load() != kReady)
            continue;
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(removal.directory, removal.name, target, sizeof target);
        if (length == static_cast<ssize_t>(removal.targetLength) &&
            std::memcmp(target, removal.target, removal.targetLength) == 0)
            ::unlinkat(removal.directory, removal.name, 0);
    }
    ::_exit(1);
}

// Clear of 0, 1 and 2, which a closed standard stream leaves free: that
// stream stays closed, as the program found it.
int AboveStandardStreams(int fd)
{
    if (fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

}  // namespace

void CatchProcessSignals(const char* program, bool stops)
{
    if (g_signalPipe[0] >= 0 || ::pipe(g_signalPipe) != 0)
        return;
    for (int& fd : g_signalPipe) {
        fd = AboveStandardStreams(fd);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    const int length = std::snprintf(g_forcedExitMessage, sizeof g_forcedExitMessage,
                                     "%s: a stop signal found the program busy for %d s; ended by force\n",
                                     program, kForcedExitAfter);
    g_forcedExitLength = static_cast<std::size_t>(std::clamp(length, 0, int(sizeof g_forcedExitMessage) - 1));

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a write blocked on standard output goes on waiting in
    // its own thread while the event loop ends the run.
    action.sa_flags = SA_RESTART;
    sigset_t caught;
    sigemptyset(&caught);
    sigaddset(&caught, SIGUSR1);
    ::sigaction(SIGUSR1, &action, nullptr);
    if (stops) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR2}) {
            sigaddset(&caught, signal);
            ::sigaction(signal, &action, nullptr);
        }
        struct sigaction forced {};
        forced.sa_handler = OnForcedExit;
        sigemptyset(&forced.sa_mask);
        ::sigaction(SIGALRM, &forced, nullptr);
        sigaddset(&caught, SIGALRM);
    }
    // A parent may have blocked them; they are ours now.
    ::sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

void WatchProcessSignals(QObject* context, std::function<void(ProcessSignal)> handler)
{
    if (g_signalPipe[0] < 0)
        return;
    ::fcntl(g_signalPipe[0], F_SETFL, O_NONBLOCK);
    const auto take = [context, handler = std::move(handler)](bool early) {
        for (char byte = 0; ::read(g_signalPipe[0], &byte, 1) == 1;) {
            if (byte == SIGUSR1) {
                handler(ProcessSignal::ToggleFix);
                continue;
            }
            // Taken: the run ends its own way from here.
            ::alarm(0);
            g_stopWaiting = 0;
            // An ending needs the event loop running, so an early stop waits for it.
            if (early)
                QMetaObject::invokeMethod(context, [handler] { handler(ProcessSignal::Stop); }, Qt::QueuedConnection);
            else
                handler(ProcessSignal::Stop);
        }
    };
    // What came while the program started counts as any other signal.
    take(true);
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [take] { take(false); });
}

bool StopSignalWaiting()
{
    return g_stopWaiting != 0;
}

int RemoveAtForcedExit(int directory, const std::string& name, const std::string& target)
{
    if (name.size() >= sizeof Removal::name || target.size() > sizeof Removal::target)
        return -1;
    for (int slot = 0; slot < int(std::size(g_removals)); ++slot) {
        Removal& removal = g_removals[slot];
        int expected = kFree;
        if (!removal.state.compare_exchange_strong(expected, kFilling))
            continue;
        removal.directory = directory;
        std::memcpy(removal.name, name.c_str(), name.size() + 1);
        std::memcpy(removal.target, target.data(), target.size());
        removal.targetLength = target.size();
        removal.state.store(kReady);
        return slot;
    }
    return -1;
}

void KeepAtForcedExit(int slot)
{
    if (slot >= 0 && slot < int(std::size(g_removals)))
        g_removals[slot].state.store(kFree);
}

}  // namespace quilvex

#endif

namespace quilvex {

void RunDetached(std::function<void()> work)
{
    std::thread([work = std::move(work)] {
#ifndef _WIN32
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
#endif
        work();
    }).detach();
}

bool FinishedUnlessStopped(std::function<void()> work)
{
    constexpr std::chrono::milliseconds kSlice{50};  // how soon a stop signal ends the wait
    auto done = std::make_shared<std::promise<void>>();
    const std::future<void> finished = done->get_future();
    RunDetached([work = std::move(work), done] {
        work();
        done->set_value();
    });
    while (finished.wait_for(kSlice) != std::future_status::ready) {
        if (StopSignalWaiting())
            return false;
    }
    return true;
}

}  // namespace quilvex
