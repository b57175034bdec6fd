#pragma once

#include "TickOutput.hpp"

#include <QSerialPort>
#include <QString>

#include <string_view>
#include <vector>

namespace quilvex {

// The serial output: set port and settings, open, write whole sentences,
// close. Failures while open come back once through failed(), and the link
// is closed by then.
class SerialOutput : public TickOutput {
    Q_OBJECT

public:
    explicit SerialOutput(QObject* parent = nullptr);
    ~SerialOutput() override;

    // Both take effect at the next open.
    void setPort(const QString& portText);
    void setSettings(const QString& settings);

    std::optional<OutputError> open() override;
    void close() override;  // closing a closed link does nothing; unsent bytes are dropped
    bool isOpen() const;

    // One framed sentence as one write, queued in order.
    void write(std::string_view sentence);

    void sendTick(const Tick& tick) override;
    void sendStamped(const std::string& ticks) override;
    std::string lineBytes(const Tick& tick) override;
    bool paces() const override { return true; }
    bool idle() const override;
    // Written but not yet on the line: ours and the driver's queue.
    long long waiting() const override;
    std::string describe() const override;

private:
    std::vector<std::string_view> carried(const Tick& tick);
    void onPortError(QSerialPort::SerialPortError error);
    OutputError errorOn(OutputErrorKind kind, std::string reason = {}) const;

    QSerialPort m_port;
    QString m_portText;
    QString m_settings;
    std::string m_device;
    bool m_opening = false;
    HeldLine m_pace;
    long long m_rate = 0;       // bit/s: fast enough for the longest tick of a tick's settings, or not
    std::size_t m_nextGsv = 0;  // otherwise the GSV sentence the next tick carries
};

}  // namespace quilvex
