#include "UdpOutput.hpp"

#include "NativeSocket.hpp"

#include <QVariant>

namespace quilvex {

UdpOutput::UdpOutput(std::string addressText, NetworkAddress address, QObject* parent)
    : TickOutput(parent), m_text(std::move(addressText)), m_address(std::move(address))
{
}

std::optional<OutputError> UdpOutput::open()
{
    close();
    resetCounts();
    m_host = QHostAddress(QString::fromStdString(m_address.host));
    if (m_host.isNull())
        return OutputError{OutputErrorKind::BadAddress, m_text, {}, {}, "the host must be a numeric address such as 127.0.0.1"};
    m_told.clear();
    connectSocket();
    return std::nullopt;
}

void UdpOutput::close()
{
    m_socket.abort();
}

// A datagram socket connects at once or not at all; one that cannot (no
// route there yet) is tried again at the next tick.
bool UdpOutput::connectSocket()
{
    m_socket.connectToHost(m_host, m_address.port, QIODevice::WriteOnly);
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        tell(m_socket.errorString());
        m_socket.abort();
        return false;
    }
    // Only the destination can send here, and nothing is read.
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1));
    return true;
}

void UdpOutput::tell(const QString& reason)
{
    if (reason == m_told)
        return;
    m_told = reason;
    emit notice(QStringLiteral("UDP to %1: %2 (told once until it changes)").arg(QString::fromStdString(m_text), reason));
}

// Sent with the system's own call, whose reason Qt does not pass on when a
// datagram was refused.
void UdpOutput::sendTick(const Tick& tick)
{
    if (m_host.isNull())
        return;
    const std::string ticks = JoinTick(tick);
    if (m_socket.state() != QAbstractSocket::ConnectedState && !connectSocket()) {
        countSkipped();
        return;
    }
    const qintptr socket = m_socket.socketDescriptor();
    if (native::Send(socket, ticks.data(), ticks.size()) >= 0) {
        m_told.clear();
        return;
    }
    int error = native::LastError();
    if (native::Refused(error)) {
        // Nobody took an earlier datagram: the consumer is absent, no
        // failure. Saying so kept this one back; it goes now.
        tell(QStringLiteral("nobody listens there"));
        if (native::Send(socket, ticks.data(), ticks.size()) >= 0)
            return;
        error = native::LastError();
        if (native::Refused(error))
            return;
    }
    countSkipped();
    tell(qt_error_string(error));
}

}  // namespace quilvex
