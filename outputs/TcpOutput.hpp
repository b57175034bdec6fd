#pragma once

#include "NetworkAddress.hpp"
#include "TickOutput.hpp"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QHostInfo;
class QSocketNotifier;

namespace quilvex {

// NMEA over TCP: every connected client gets every tick whole from the
// next tick on. A client that stops reading has its ticks skipped, holds
// at most one tick here, and is dropped after the stall limit without taking
// any of it. What clients send is read and thrown away at once; a client
// that closed its sending side is still served until a write fails.
class TcpOutput : public TickOutput {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 32;
    static constexpr std::chrono::milliseconds kStallLimit{10000};

    // `addressText` is what the user gave, named in messages. A host name is
    // looked up without blocking once open() is called; the server listens on
    // its first address (IPv4 first) or fails then.
    TcpOutput(std::string addressText, std::optional<NetworkAddress> address, QObject* parent = nullptr);
    ~TcpOutput() override;

    std::optional<OutputError> open() override;
    void close() override;
    void sendTick(const Tick& tick) override;
    long long waiting() const override { return 0; }  // a client's loss is no loss of the run
    std::string describe() const override;
    int consumers() const override { return clientCount(); }
    int clientCount() const { return static_cast<int>(m_clients.size()); }
    quint16 serverPort() const { return m_server.serverPort(); }
    void setStallLimit(std::chrono::milliseconds limit) { m_stallLimit = limit; }
    // The most bytes any one client has here: what it sent and was not yet
    // thrown away, and what it has not yet taken of its tick.
    long long heldBytes() const;

private:
    struct Client;
    class Server : public QTcpServer {
    public:
        std::function<void(qintptr)> take;

    protected:
        void incomingConnection(qintptr descriptor) override { take(descriptor); }
    };

    std::optional<OutputError> listen(const QHostAddress& host);
    void resolved(const QHostInfo& info);
    void accept(qintptr descriptor);
    void readFrom(Client* client);
    void writeTo(Client* client);
    std::optional<QString> flush(Client* client);
    void drop(Client* client, const QString& why);

    std::string m_given;  // as the user typed it
    std::optional<NetworkAddress> m_address;
    int m_lookup = -1;  // the host name lookup under way
    std::chrono::milliseconds m_stallLimit = kStallLimit;
    Server m_server;
    std::vector<std::unique_ptr<Client>> m_clients;
};

}  // namespace quilvex
