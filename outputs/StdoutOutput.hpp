#pragma once

#include "TickOutput.hpp"

#include <memory>

namespace quilvex {

// Standard output, written by a thread of its own: a reader that stops
// reading blocks only that thread, so ticks are skipped and signals are
// still handled at once. A failed write (a full disk, a reader gone while
// SIGPIPE is ignored) ends the output through failed().
class StdoutOutput : public TickOutput {
    Q_OBJECT

public:
    explicit StdoutOutput(QObject* parent = nullptr);
    ~StdoutOutput() override;

    std::optional<OutputError> open() override;
    void close() override;
    void sendTick(const Tick& tick) override;
    void sendStamped(const std::string& ticks) override;
    bool paces() const override { return true; }
    bool idle() const override;
    long long waiting() const override;
    std::string describe() const override { return "standard output"; }

    struct Writer;

private:
    void writeDone(int error);

    std::shared_ptr<Writer> m_writer;
};

}  // namespace quilvex
