#pragma once

#include "LinkError.hpp"
#include "Tick.hpp"

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <optional>
#include <string_view>

namespace quilvex {

// The one output device: set port and settings, open, write whole
// sentences, close. Failures while open come back once through failed(),
// and the link is closed by then.
class SerialLink : public QObject {
    Q_OBJECT

public:
    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    // Both take effect at the next open.
    void setPort(const QString& portText);
    void setSettings(const QString& settings);

    std::optional<LinkError> open();
    void close();  // closing a closed link does nothing
    bool isOpen() const;

    // One framed sentence as one write, queued in order.
    void write(std::string_view sentence);

    // A real-time tick goes out whole, or not at all while any byte of an
    // earlier one still waits: its time stamp would be stale by the time it
    // left. Returns whether it was written.
    bool writeTick(const TickSentences& tick);
    long long skippedTicks() const { return m_skipped; }

    // Bytes written but not yet on the line, as far as the platform tells.
    qint64 backlog() const;
    bool handedToDriver() const;

    // Waits up to the timeout for queued bytes to leave, then closes.
    void drainAndClose(int timeoutMs);

signals:
    void failed(const quilvex::LinkError& error);
    // Emitted when the last queued byte has been handed to the driver.
    void handedOff();

private:
    void onPortError(QSerialPort::SerialPortError error);
    void onBytesWritten();
    LinkError errorOn(LinkErrorKind kind, std::string reason = {}) const;

    QSerialPort m_port;
    QString m_portText;
    QString m_settings;
    std::string m_device;
    bool m_opening = false;
    long long m_skipped = 0;
};

}  // namespace quilvex
