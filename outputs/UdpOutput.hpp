#pragma once

#include "NetworkAddress.hpp"
#include "TickOutput.hpp"

#include <QHostAddress>
#include <QUdpSocket>

namespace quilvex {

// Each tick as one datagram to one address (a broadcast address works when
// named). Send errors are told once per cause and never end the run.
class UdpOutput : public TickOutput {
    Q_OBJECT

public:
    UdpOutput(std::string addressText, NetworkAddress address, QObject* parent = nullptr);

    std::optional<LinkError> open() override;
    void close() override;
    void sendTick(const Tick& tick) override;
    long long waiting() const override { return 0; }
    std::string describe() const override { return "udp " + m_text; }

private:
    std::string m_text;
    NetworkAddress m_address;
    QHostAddress m_host;
    QUdpSocket m_socket;
    QAbstractSocket::SocketError m_lastError = QAbstractSocket::UnknownSocketError;
};

}  // namespace quilvex
