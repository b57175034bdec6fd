#include "TcpOutput.hpp"

#include <QHostAddress>

#include <algorithm>

namespace quilvex {
namespace {
constexpr int kSendBufferBytes = 4096;
}  // namespace

TcpOutput::TcpOutput(std::string addressText, std::optional<NetworkAddress> address, QObject* parent)
    : TickOutput(parent),
      m_given(addressText),
      m_text(address ? address->host + ":" + std::to_string(address->port) : std::move(addressText)),
      m_address(address.value_or(NetworkAddress{}))
{
    m_server.setMaxPendingConnections(kMaxClients);
    connect(&m_server, &QTcpServer::newConnection, this, &TcpOutput::accept);
}

TcpOutput::~TcpOutput()
{
    close();
}

std::optional<LinkError> TcpOutput::open()
{
    close();
    resetCounts();
    const QHostAddress host(QString::fromStdString(m_address.host));
    if (host.isNull())
        return LinkError{LinkErrorKind::BadAddress, m_given, {}, {}, "give [HOST:]PORT with a numeric host, such as 127.0.0.1:10110"};
    if (!m_server.listen(host, m_address.port)) {
        if (m_server.serverError() == QAbstractSocket::AddressInUseError)
            return LinkError{LinkErrorKind::AddressInUse, m_given, m_text, {}, {}};
        return LinkError{LinkErrorKind::ListenFailed, m_given, m_text, {}, m_server.errorString().toStdString()};
    }
    return std::nullopt;
}

void TcpOutput::close()
{
    m_server.close();
    for (Client& client : m_clients) {
        client.socket->disconnect(this);
        client.socket->abort();
        client.socket->deleteLater();
    }
    m_clients.clear();
}

QString TcpOutput::Peer(const QTcpSocket* socket)
{
    return socket->peerAddress().toString() + ":" + QString::number(socket->peerPort());
}

void TcpOutput::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (clientCount() >= kMaxClients) {
            emit notice(QStringLiteral("TCP client %1 refused: %2 clients already").arg(Peer(socket)).arg(kMaxClients));
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        // A small send buffer lets a client that stopped reading show up
        // here soon, instead of minutes of old ticks queued in the kernel.
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferBytes);
        // Nothing is read for use; reading notices a reset at once.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            for (Client& client : m_clients)
                if (client.socket == socket)
                    client.lastProgress.start();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket, "left"); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::RemoteHostClosedError)
                drop(socket, "lost: " + socket->errorString());
        });
        Client client{socket, {}};
        client.lastProgress.start();
        m_clients.push_back(client);
        emit notice(QStringLiteral("TCP client %1 connected (%2 now)").arg(Peer(socket)).arg(clientCount()));
    }
}

void TcpOutput::drop(QTcpSocket* socket, const QString& why)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(),
                                 [socket](const Client& c) { return c.socket == socket; });
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    const QString peer = Peer(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit notice(QStringLiteral("TCP client %1 %2 (%3 now)").arg(peer, why).arg(clientCount()));
}

void TcpOutput::sendTick(const Tick& tick)
{
    const std::string ticks = JoinTick(tick);
    std::vector<QTcpSocket*> stalled;
    for (Client& client : m_clients) {
        if (client.socket->bytesToWrite() == 0) {
            client.lastProgress.start();
            client.socket->write(ticks.data(), static_cast<qint64>(ticks.size()));
        } else if (client.lastProgress.hasExpired(kStallLimitMs)) {
            stalled.push_back(client.socket);
        } else {
            countSkipped();  // this client still holds the previous tick
        }
    }
    for (QTcpSocket* socket : stalled)
        drop(socket, QStringLiteral("dropped: took nothing for %1 s").arg(kStallLimitMs / 1000));
}

std::string TcpOutput::describe() const
{
    return "tcp " + m_text;
}

}  // namespace quilvex
