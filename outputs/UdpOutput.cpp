#include "UdpOutput.hpp"

namespace quilvex {

UdpOutput::UdpOutput(std::string addressText, NetworkAddress address, QObject* parent)
    : TickOutput(parent), m_text(std::move(addressText)), m_address(std::move(address))
{
}

std::optional<LinkError> UdpOutput::open()
{
    close();
    resetCounts();
    m_host = QHostAddress(QString::fromStdString(m_address.host));
    if (m_host.isNull())
        return LinkError{LinkErrorKind::BadAddress, m_text, {}, {}, "the host must be a numeric address such as 127.0.0.1"};
    m_lastError = QAbstractSocket::UnknownSocketError;
    return std::nullopt;
}

void UdpOutput::close()
{
    m_socket.abort();
}

void UdpOutput::sendTick(const Tick& tick)
{
    const std::string ticks = JoinTick(tick);
    if (m_host.isNull())
        return;
    const qint64 sent = m_socket.writeDatagram(ticks.data(), static_cast<qint64>(ticks.size()), m_host, m_address.port);
    if (sent >= 0) {
        m_lastError = QAbstractSocket::UnknownSocketError;
        return;
    }
    countSkipped();
    if (m_socket.error() != m_lastError) {
        m_lastError = m_socket.error();
        emit notice(QStringLiteral("UDP to %1: %2 (told once until it changes)")
                        .arg(QString::fromStdString(m_text), m_socket.errorString()));
    }
}

}  // namespace quilvex
