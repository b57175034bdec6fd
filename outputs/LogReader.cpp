#include "LogReader.hpp"

#include "ProcessSignals.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace quilvex {
namespace {

constexpr std::size_t kQueued = 16;  // records read ahead

}  // namespace

struct LogReader::Shared {
    std::mutex mutex;
    std::condition_variable room;
    std::deque<RecordedFix> queue;
    bool ended = false, cancelled = false;
    std::optional<FileProblem> problem;
    LogCounts counts;
    LogReader* owner = nullptr;  // told of more, while not cancelled

    // With the mutex held.
    void tell()
    {
        if (!cancelled)
            QMetaObject::invokeMethod(owner, &LogReader::more, Qt::QueuedConnection);
    }
};

namespace {

void Read(const std::shared_ptr<LogReader::Shared>& shared, const QString& path);

}  // namespace

LogReader::LogReader(const QString& path) : m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
    RunDetached([shared = m_shared, path] { Read(shared, path); });
}

LogReader::~LogReader()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->cancelled = true;
    m_shared->room.notify_all();
}

LogNext LogReader::next()
{
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->queue.empty())
        return {m_shared->ended ? LogNext::State::Ended : LogNext::State::Waiting};
    LogNext n{LogNext::State::Fix, m_shared->queue.front()};
    m_shared->queue.pop_front();
    m_shared->room.notify_all();
    return n;
}

std::optional<FileProblem> LogReader::problem() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->problem;
}

LogCounts LogReader::counts() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->counts;
}

namespace {

void Read(const std::shared_ptr<LogReader::Shared>& shared, const QString& path)
{
    auto opened = ReplayLog::open(path);
    std::unique_lock lock(shared->mutex);
    if (auto* problem = std::get_if<FileProblem>(&opened)) {
        shared->problem = *problem;
        shared->ended = true;
        shared->tell();
        return;
    }
    lock.unlock();
    ReplayLog& log = *std::get<std::unique_ptr<ReplayLog>>(opened);
    bool any = false;
    for (;;) {
        const std::optional<RecordedFix> fix = log.next();
        any = any || (fix && fix->valid);
        lock.lock();
        shared->room.wait(lock, [&] { return shared->cancelled || shared->queue.size() < kQueued; });
        if (shared->cancelled)
            return;
        shared->counts = log.counts();
        if (fix)
            shared->queue.push_back(*fix);
        else if (log.notText())
            shared->problem = FileProblem{"it is not text: " + std::to_string(shared->counts.binaryBytes) +
                                              " binary bytes and no sentence", false};
        else if (!any)
            shared->problem = FileProblem{"no usable fix in it: " + log.found(), false};
        shared->ended = !fix;
        if (!fix || shared->queue.size() == 1)
            shared->tell();
        if (!fix)
            return;
        lock.unlock();
    }
}

}  // namespace

}  // namespace quilvex
