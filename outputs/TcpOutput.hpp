#pragma once

#include "NetworkAddress.hpp"
#include "TickOutput.hpp"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <vector>

namespace quilvex {

// NMEA over TCP: every connected client gets every tick whole from the
// next tick on. A client that stops reading has its ticks skipped, holds
// at most one tick here, and is dropped after kStallLimitMs without taking
// any of it.
class TcpOutput : public TickOutput {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;
    static constexpr int kStallLimitMs = 10000;

    // `addressText` is what the user gave, named in messages when it is no address.
    TcpOutput(std::string addressText, std::optional<NetworkAddress> address, QObject* parent = nullptr);
    ~TcpOutput() override;

    std::optional<LinkError> open() override;
    void close() override;
    void sendTick(const Tick& tick) override;
    long long waiting() const override { return 0; }  // a client's loss is no loss of the run
    std::string describe() const override;
    int consumers() const override { return clientCount(); }
    int clientCount() const { return static_cast<int>(m_clients.size()); }
    quint16 serverPort() const { return m_server.serverPort(); }

private:
    struct Client {
        QTcpSocket* socket;
        QElapsedTimer lastProgress;
    };
    void accept();
    void drop(QTcpSocket* socket, const QString& why);
    static QString Peer(const QTcpSocket* socket);

    std::string m_given;  // as the user typed it
    std::string m_text;   // HOST:PORT
    NetworkAddress m_address;
    QTcpServer m_server;
    std::vector<Client> m_clients;
};

}  // namespace quilvex
