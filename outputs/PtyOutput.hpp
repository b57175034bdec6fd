#pragma once

#include "TickOutput.hpp"

#include <QSocketNotifier>

#include <memory>
#include <termios.h>

namespace quilvex {

// A virtual serial port made by the program: a raw pseudo-terminal whose
// other end is linked at a path of the user's, for a consumer that only
// reads serial devices. While no program has it open, ticks go nowhere, as
// on a line with nothing at the far end; a reader that opens it later gets
// fresh ticks only. A reader that holds it open and stops reading costs at
// most one tick, as a held line does.
class PtyOutput : public TickOutput {
    Q_OBJECT

public:
    explicit PtyOutput(std::string path, QObject* parent = nullptr);
    ~PtyOutput() override;

    std::optional<OutputError> open() override;
    void close() override;  // removes the link
    void sendTick(const Tick& tick) override;
    long long waiting() const override;
    std::string describe() const override { return "virtual port " + m_path + " (" + m_slavePath + ")"; }

private:
    OutputError errorOn(OutputErrorKind kind, std::string reason = {}) const;
    std::optional<OutputError> openDirectory();
    std::optional<OutputError> clearStaleLink();
    bool readerHolds() const;
    int farEnd() const;
    void readyForNextReader();
    void readAndDrop();
    void writePending();

    std::string m_path;
    std::string m_name;  // the link's name in m_dir
    std::string m_slavePath;
    int m_dir = -1;  // the link's directory, found safely once and used for creating and removing
    int m_master = -1;
    termios m_raw{};
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    std::string m_pending;  // the rest of a tick the pty did not take at once
    HeldLine m_pace;
    bool m_attached = false;  // a reader held the port at the last look
    bool m_linked = false;
    int m_forcedExitSlot = -1;  // the link's, in case a stop signal finds the program stuck
};

}  // namespace quilvex
