#include "StdoutOutput.hpp"

#include <QMetaObject>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quilvex {
namespace {

// One call of the platform's unbuffered write; no stdio lock is ever held,
// so the program can exit while a write is blocked.
long long WriteSome(const char* data, std::size_t size)
{
#ifdef _WIN32
    return _write(1, data, static_cast<unsigned>(size));
#else
    return ::write(1, data, size);
#endif
}

}  // namespace

// Shared with the thread, which may outlive the output while blocked.
struct StdoutOutput::Writer {
    std::mutex mutex;
    std::condition_variable wake;
    std::string pending;
    std::atomic<long long> unwritten{0};  // handed over, not yet written: 0 is idle
    bool quit = false;
    StdoutOutput* owner = nullptr;  // cleared under the mutex when the output goes

    void run()
    {
        std::unique_lock lock(mutex);
        while (true) {
            wake.wait(lock, [this] { return quit || !pending.empty(); });
            if (quit)
                return;
            const std::string bytes = std::move(pending);
            pending.clear();
            lock.unlock();
            int error = 0;
            std::size_t done = 0;
            while (done < bytes.size()) {
                const long long n = WriteSome(bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    error = n < 0 ? errno : EIO;
                    break;
                }
                done += static_cast<std::size_t>(n);
                unwritten -= n;
            }
            lock.lock();
            if (owner)
                QMetaObject::invokeMethod(owner, [o = owner, error] { o->writeDone(error); },
                                          Qt::QueuedConnection);
            if (error != 0)
                return;
        }
    }
};

StdoutOutput::StdoutOutput(QObject* parent) : TickOutput(parent) {}

StdoutOutput::~StdoutOutput()
{
    close();
}

std::optional<OutputError> StdoutOutput::open()
{
    close();
    m_writer = std::make_shared<Writer>();
    m_writer->owner = this;
    std::thread([writer = m_writer] { writer->run(); }).detach();
    return std::nullopt;
}

void StdoutOutput::close()
{
    if (!m_writer)
        return;
    {
        std::lock_guard lock(m_writer->mutex);
        m_writer->owner = nullptr;
        m_writer->quit = true;
    }
    m_writer->wake.notify_one();
    m_writer.reset();
}

bool StdoutOutput::idle() const
{
    return !m_writer || m_writer->unwritten == 0;
}

long long StdoutOutput::waiting() const
{
    return m_writer ? m_writer->unwritten.load() : 0;
}

void StdoutOutput::sendTick(const Tick& tick)
{
    if (!m_writer)
        return;
    if (!idle()) {
        countSkipped();  // the reader has not taken the previous tick yet
        return;
    }
    sendStamped(JoinTick(tick));
}

void StdoutOutput::sendStamped(const std::string& ticks)
{
    if (!m_writer)
        return;
    {
        std::lock_guard lock(m_writer->mutex);
        m_writer->pending += ticks;
        m_writer->unwritten += static_cast<long long>(ticks.size());
    }
    m_writer->wake.notify_one();
}

void StdoutOutput::writeDone(int error)
{
    if (error == 0) {
        emit becameIdle();
        return;
    }
    close();
    emit failed({OutputErrorKind::WriteFailed, "standard output", {}, {}, std::strerror(error)});
}

}  // namespace quilvex
