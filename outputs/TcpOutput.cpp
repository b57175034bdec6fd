#include "TcpOutput.hpp"

#include "NativeSocket.hpp"

#include <QHostInfo>
#include <QSocketNotifier>
#include <QtEndian>

#include <algorithm>

namespace quilvex {
namespace {
constexpr int kSendBufferBytes = 4096;
constexpr int kScratchBytes = 16384;
constexpr int kReadsPerTurn = 4;  // a client sending without pause still lets the loop turn

QString HostPort(const QHostAddress& host, quint16 port)
{
    const QString text = host.toString();
    return (host.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text) + ":" + QString::number(port);
}

QString PeerOf(qintptr d)
{
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(native::Socket(d), reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return QStringLiteral("?");
    const quint16 port = peer.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(peer).sin6_port
                                                    : reinterpret_cast<const sockaddr_in&>(peer).sin_port;
    return HostPort(QHostAddress(reinterpret_cast<const sockaddr*>(&peer)), qFromBigEndian(port));
}

// Why a client whose socket call failed with `error` is gone.
QString Gone(int error)
{
    return native::Left(error) ? QStringLiteral("left") : "lost: " + qt_error_string(error);
}

}  // namespace

// A client is a plain socket: QTcpSocket closes at the client's FIN, and a
// client that only closed its sending side (nc -N) still reads.
struct TcpOutput::Client {
    qintptr descriptor;
    QString peer;
    QSocketNotifier* reader;
    QSocketNotifier* writer;
    std::string unsent;  // what it has not yet taken of its tick
    QElapsedTimer lastProgress;
};

TcpOutput::TcpOutput(std::string addressText, std::optional<NetworkAddress> address, QObject* parent)
    : TickOutput(parent), m_given(std::move(addressText)), m_address(std::move(address))
{
    m_server.take = [this](qintptr descriptor) { accept(descriptor); };
}

TcpOutput::~TcpOutput()
{
    close();
}

std::optional<OutputError> TcpOutput::open()
{
    close();
    resetCounts();
    if (!m_address)
        return OutputError{OutputErrorKind::BadAddress, m_given, {}, {}, "give [HOST:]PORT, such as 127.0.0.1:10110"};
    const QString host = QString::fromStdString(m_address->host);
    if (const QHostAddress numeric(host); !numeric.isNull())
        return listen(numeric);
    // A name is looked up on another thread; the server listens, or the
    // output fails, when the answer comes.
    m_lookup = QHostInfo::lookupHost(host, this, &TcpOutput::resolved);
    return std::nullopt;
}

std::optional<OutputError> TcpOutput::listen(const QHostAddress& host)
{
    if (m_server.listen(host, m_address->port))
        return std::nullopt;
    const std::string where = HostPort(host, m_address->port).toStdString();
    if (m_server.serverError() == QAbstractSocket::AddressInUseError)
        return OutputError{OutputErrorKind::AddressInUse, m_given, where, {}, {}};
    return OutputError{OutputErrorKind::ListenFailed, m_given, where, {}, m_server.errorString().toStdString()};
}

void TcpOutput::resolved(const QHostInfo& info)
{
    if (info.lookupId() != m_lookup)
        return;  // asked for by an earlier open()
    m_lookup = -1;
    const QList<QHostAddress> found = info.addresses();
    const auto v4 = std::find_if(found.begin(), found.end(),
                                 [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
    std::optional<OutputError> error;
    if (info.error() != QHostInfo::NoError || found.isEmpty())
        error = OutputError{OutputErrorKind::HostNotFound, m_given, {}, {}, info.errorString().toStdString()};
    else
        error = listen(v4 != found.end() ? *v4 : found.front());
    if (error) {
        close();
        emit failed(*error);
    }
}

void TcpOutput::close()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    m_lookup = -1;
    m_server.close();
    while (!m_clients.empty())
        drop(m_clients.back().get(), {});
}

void TcpOutput::accept(qintptr descriptor)
{
    const QString peer = PeerOf(descriptor);
    if (clientCount() >= kMaxClients) {
        native::Close(descriptor);
        emit notice(QStringLiteral("TCP client %1 refused: %2 clients already").arg(peer).arg(kMaxClients));
        return;
    }
    native::MakeNonBlocking(descriptor);
    // A small send buffer lets a client that stopped reading show up
    // here soon, instead of minutes of old ticks queued in the kernel.
    const int sendBuffer = kSendBufferBytes;
    ::setsockopt(native::Socket(descriptor), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer), sizeof sendBuffer);
    auto owned = std::make_unique<Client>(Client{descriptor, peer, nullptr, nullptr, {}, {}});
    Client* client = owned.get();
    client->reader = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    client->writer = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    client->writer->setEnabled(false);
    connect(client->reader, &QSocketNotifier::activated, this, [this, client] { readFrom(client); });
    connect(client->writer, &QSocketNotifier::activated, this, [this, client] { writeTo(client); });
    client->lastProgress.start();
    m_clients.push_back(std::move(owned));
    emit notice(QStringLiteral("TCP client %1 connected (%2 now)").arg(peer).arg(clientCount()));
}

// Nothing a client sends is used: it is read only to be thrown away, so a
// client that sends without end holds nothing here. Reading also notices a
// reset at once.
void TcpOutput::readFrom(Client* client)
{
    char scratch[kScratchBytes];
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        const long long got = native::Receive(client->descriptor, scratch, sizeof scratch);
        if (got > 0)
            continue;
        const int error = native::LastError();
        if (got == 0)
            client->reader->setEnabled(false);  // it closed its sending side, and may still read
        else if (!native::WouldBlock(error))
            drop(client, Gone(error));
        return;
    }
}

void TcpOutput::writeTo(Client* client)
{
    if (const std::optional<QString> why = flush(client))
        drop(client, *why);
}

// Sends what the client has not yet taken; tells why when it is gone.
std::optional<QString> TcpOutput::flush(Client* client)
{
    while (!client->unsent.empty()) {
        const long long sent = native::Send(client->descriptor, client->unsent.data(), client->unsent.size());
        if (sent < 0) {
            const int error = native::LastError();
            if (!native::WouldBlock(error))
                return Gone(error);
            break;
        }
        client->unsent.erase(0, std::size_t(sent));
        client->lastProgress.start();
    }
    client->writer->setEnabled(!client->unsent.empty());
    return std::nullopt;
}

void TcpOutput::drop(Client* client, const QString& why)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(),
                                 [client](const std::unique_ptr<Client>& c) { return c.get() == client; });
    if (it == m_clients.end())
        return;
    const std::unique_ptr<Client> gone = std::move(*it);
    m_clients.erase(it);
    for (QSocketNotifier* notifier : {gone->reader, gone->writer}) {
        notifier->setEnabled(false);
        notifier->disconnect(this);
        notifier->deleteLater();  // it may be the one whose signal is being handled
    }
    native::Close(gone->descriptor);
    if (!why.isEmpty())
        emit notice(QStringLiteral("TCP client %1 %2 (%3 now)").arg(gone->peer, why).arg(clientCount()));
}

void TcpOutput::sendTick(const Tick& tick)
{
    const std::string ticks = JoinTick(tick);
    std::vector<std::pair<Client*, QString>> gone;
    for (const auto& owned : m_clients) {
        Client* client = owned.get();
        if (client->unsent.empty()) {
            client->lastProgress.start();
            client->unsent = ticks;
            if (std::optional<QString> why = flush(client))
                gone.emplace_back(client, *why);
        } else if (client->lastProgress.hasExpired(m_stallLimit.count())) {
            gone.emplace_back(client, QStringLiteral("dropped: took nothing for %1 s").arg(m_stallLimit.count() / 1000.0));
        } else {
            countSkipped();  // this client still holds the previous tick
        }
    }
    for (const auto& [client, why] : gone)
        drop(client, why);
}

long long TcpOutput::heldBytes() const
{
    std::size_t most = 0;
    for (const auto& client : m_clients)
        most = std::max(most, client->unsent.size());
    return static_cast<long long>(most);
}

std::string TcpOutput::describe() const
{
    if (m_server.isListening())
        return "tcp " + HostPort(m_server.serverAddress(), m_server.serverPort()).toStdString();
    if (!m_address)
        return "tcp " + m_given;
    return "tcp " + NetworkAddressText(*m_address);
}

}  // namespace quilvex
