#pragma once

#include "TickOutput.hpp"

#include <QSocketNotifier>

#include <memory>

namespace quilvex {

// A virtual serial port made by the program: a raw pseudo-terminal whose
// other end is linked at a path of the user's, for a consumer that only
// reads serial devices. Nobody reading, or a reader that stopped, costs at
// most one tick; a reader that opens the path later gets fresh ticks.
class PtyOutput : public TickOutput {
    Q_OBJECT

public:
    explicit PtyOutput(std::string path, QObject* parent = nullptr);
    ~PtyOutput() override;

    std::optional<LinkError> open() override;
    void close() override;  // removes the link
    void sendTick(const Tick& tick) override;
    long long waiting() const override;
    std::string describe() const override { return "virtual port " + m_path + " (" + m_slavePath + ")"; }

private:
    LinkError errorOn(LinkErrorKind kind, std::string reason = {}) const;
    void writePending();

    std::string m_path;
    std::string m_slavePath;
    int m_master = -1;
    int m_slave = -1;  // our own hold on the far end keeps its settings and the line up
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    std::string m_pending;  // the rest of a tick the pty did not take at once
    HeldLine m_pace;
    bool m_linked = false;
};

}  // namespace quilvex
