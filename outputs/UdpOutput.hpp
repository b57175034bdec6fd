#pragma once

#include "NetworkAddress.hpp"
#include "TickOutput.hpp"

#include <QHostAddress>
#include <QUdpSocket>

namespace quilvex {

// Each tick as one datagram to one numeric address (a broadcast address
// works when named). The socket is connected to that address, so it takes
// in nothing from anyone else and is bound to the one local address that
// reaches there. Send errors, nobody listening among them, are told once
// per cause and never end the run.
class UdpOutput : public TickOutput {
    Q_OBJECT

public:
    UdpOutput(std::string addressText, NetworkAddress address, QObject* parent = nullptr);

    std::optional<OutputError> open() override;
    void close() override;
    void sendTick(const Tick& tick) override;
    long long waiting() const override { return 0; }
    std::string describe() const override { return "udp " + m_text; }

private:
    bool connectSocket();
    void tell(const QString& reason);

    std::string m_text;
    NetworkAddress m_address;
    QHostAddress m_host;
    QUdpSocket m_socket;
    QString m_told;  // the cause last told, until a datagram goes out unrefused
};

}  // namespace quilvex
