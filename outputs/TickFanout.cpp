#include "TickFanout.hpp"

namespace quilvex {
namespace {
constexpr qint64 kHeldAfterMs = 500;  // no byte moved this long: the line is held
}  // namespace

TickFanout::TickFanout(std::vector<std::unique_ptr<TickOutput>> outputs, QObject* parent) : QObject(parent)
{
    for (auto& output : outputs) {
        output->setParent(this);
        TickOutput* o = output.release();
        m_outputs.push_back(o);
        connect(o, &TickOutput::failed, this, &TickFanout::failed);
        connect(o, &TickOutput::notice, this, &TickFanout::notice);
        if (o->paces())
            connect(o, &TickOutput::becameIdle, this, &TickFanout::becameIdle);
    }
    m_drain.setInterval(10);
    connect(&m_drain, &QTimer::timeout, this, &TickFanout::drainStep);
}

TickFanout::~TickFanout()
{
    close();
}

std::optional<OutputError> TickFanout::open()
{
    for (TickOutput* output : m_outputs) {
        if (auto error = output->open()) {
            close();
            return error;
        }
    }
    return std::nullopt;
}

void TickFanout::close()
{
    m_drain.stop();
    for (TickOutput* output : m_outputs)
        output->close();
}

void TickFanout::send(const Tick& tick)
{
    for (TickOutput* output : m_outputs)
        output->sendTick(tick);
}

void TickFanout::sendStamped(const std::vector<Tick>& ticks)
{
    std::vector<std::string> batches(m_outputs.size());
    for (const Tick& tick : ticks) {
        for (std::size_t i = 0; i < m_outputs.size(); ++i) {
            if (m_outputs[i]->paces())
                batches[i] += m_outputs[i]->lineBytes(tick);
            else
                m_outputs[i]->sendTick(tick);
        }
    }
    for (std::size_t i = 0; i < m_outputs.size(); ++i)
        if (m_outputs[i]->paces())
            m_outputs[i]->sendStamped(batches[i]);
}

bool TickFanout::paces() const
{
    for (const TickOutput* output : m_outputs)
        if (output->paces())
            return true;
    return false;
}

bool TickFanout::pacedIdle() const
{
    for (const TickOutput* output : m_outputs)
        if (output->paces() && !output->idle())
            return false;
    return true;
}

long long TickFanout::skippedTicks() const
{
    long long skipped = 0;
    for (const TickOutput* output : m_outputs)
        skipped += output->skippedTicks();
    return skipped;
}

int TickFanout::consumers() const
{
    int total = -1;
    for (const TickOutput* output : m_outputs)
        if (const int n = output->consumers(); n >= 0)
            total = std::max(total, 0) + n;
    return total;
}

std::string TickFanout::describe() const
{
    std::string text;
    for (const TickOutput* output : m_outputs)
        text += (text.empty() ? "" : "; ") + output->describe();
    return text;
}

void TickFanout::finish(std::chrono::milliseconds limit)
{
    if (m_finishing) {
        m_drainLimit = std::chrono::milliseconds(0);
        return;
    }
    m_finishing = true;
    m_drainLimit = limit;
    m_drainClock.start();
    m_lastWaiting = -1;
    drainStep();
    if (m_finishing)
        m_drain.start();
}

// What the outputs still hold goes out first, as long as it moves.
void TickFanout::drainStep()
{
    long long waiting = 0;
    for (const TickOutput* output : m_outputs)
        waiting += output->waiting();
    const qint64 elapsed = m_drainClock.elapsed();
    if (waiting != m_lastWaiting) {
        m_lastWaiting = waiting;
        m_lastProgressMs = elapsed;
    }
    const bool held = elapsed >= m_drainLimit.count() || elapsed - m_lastProgressMs >= kHeldAfterMs;
    if (waiting > 0 && !held)
        return;
    m_drain.stop();
    std::vector<OutputEnding> endings;
    for (TickOutput* output : m_outputs) {
        endings.push_back({output->describe(), output->waiting(), output->skippedTicks()});
        output->close();
    }
    m_finishing = false;
    emit finished(endings);
}

}  // namespace quilvex
