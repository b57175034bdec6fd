#include "SerialOutput.hpp"

#include "HeldLine.hpp"
#include "PortPlatform.hpp"

#include <algorithm>
#include <type_traits>

namespace quilvex {
namespace {

OutputErrorKind KindOf(PortProblem problem)
{
    switch (problem) {
    case PortProblem::NoPortNumber:
        return OutputErrorKind::NoPortNumber;
    case PortProblem::Missing:
        return OutputErrorKind::Missing;
    case PortProblem::NotADevice:
        return OutputErrorKind::NotADevice;
    case PortProblem::NotAPortName:
        return OutputErrorKind::NotAPortName;
    case PortProblem::PermissionDenied:
        return OutputErrorKind::PermissionDenied;
    case PortProblem::None:
        break;
    }
    return OutputErrorKind::OpenFailed;
}

QSerialPort::Parity ParityOf(char parity)
{
    switch (parity) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    default:
        return QSerialPort::NoParity;
    }
}

// The port handle is a file descriptor here and a HANDLE on Windows.
template <typename Handle>
std::intptr_t Widened(Handle handle)
{
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<std::intptr_t>(handle);
    else
        return static_cast<std::intptr_t>(handle);
}

}  // namespace

SerialOutput::SerialOutput(QObject* parent) : TickOutput(parent)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialOutput::onPortError);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port.bytesToWrite() == 0)
            emit becameIdle();
    });
    // Nothing is read for use, but reading is what notices a hang-up at once,
    // even while a stopped line has every tick skipped.
    connect(&m_port, &QSerialPort::readyRead, this, [this] { m_port.readAll(); });
}

SerialOutput::~SerialOutput()
{
    close();
}

void SerialOutput::setPort(const QString& portText)
{
    m_portText = portText;
}

void SerialOutput::setSettings(const QString& settings)
{
    m_settings = settings;
}

OutputError SerialOutput::errorOn(OutputErrorKind kind, std::string reason) const
{
    return {kind, m_portText.toStdString(), m_device, m_settings.toStdString(), std::move(reason)};
}

std::optional<OutputError> SerialOutput::open()
{
    close();
    resetCounts();
    m_pace = {};
    const PortTarget target = ResolvePortText(m_portText.toStdString());
    m_device = target.device;
    if (target.problem != PortProblem::None)
        return errorOn(KindOf(target.problem), target.reason);

    const auto line = ParseSettings(m_settings.toStdString());
    if (!line)
        return errorOn(OutputErrorKind::BadSettings);

    m_port.setPortName(QString::fromStdString(m_device));
    m_opening = true;
    const bool opened = m_port.open(QIODevice::ReadWrite);
    m_opening = false;
    if (!opened) {
        const QSerialPort::SerialPortError code = m_port.error();
        const std::string reason = m_port.errorString().toStdString();
        m_port.clearError();
        if (code == QSerialPort::PermissionError)
            return errorOn(RefusalMeansInUse(m_device) ? OutputErrorKind::InUse : OutputErrorKind::PermissionDenied);
        if (code == QSerialPort::DeviceNotFoundError)
            return errorOn(OutputErrorKind::Missing);
        return errorOn(OutputErrorKind::OpenFailed, reason);
    }
    if (!LockOpenPort(Widened(m_port.handle()))) {
        m_port.close();
        m_port.clearError();
        return errorOn(OutputErrorKind::InUse);
    }

    m_opening = true;
    const bool configured =
        m_port.setBaudRate(line->rate) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(line->dataBits)) &&
        m_port.setParity(ParityOf(line->parity)) &&
        m_port.setStopBits(line->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_opening = false;
    if (!configured) {
        const std::string reason = m_port.errorString().toStdString();
        m_port.close();
        m_port.clearError();
        return errorOn(OutputErrorKind::RateRefused, reason);
    }
    m_rate = line->rate;
    m_nextGsv = 0;
    return std::nullopt;
}

void SerialOutput::close()
{
    if (m_port.isOpen()) {
        // Closing a real port waits until its queue has left, up to half a
        // minute on a held line; what is still queued is stale by now.
        if (waiting() > 0)
            m_port.clear(QSerialPort::Output);
        m_port.close();
    }
    m_port.clearError();
}

bool SerialOutput::isOpen() const
{
    return m_port.isOpen();
}

void SerialOutput::write(std::string_view sentence)
{
    if (!m_port.isOpen())
        return;
    m_port.write(sentence.data(), static_cast<qint64>(sentence.size()));
}

void SerialOutput::sendTick(const Tick& tick)
{
    if (!m_port.isOpen())
        return;
    if (!admit(m_pace, waiting(), [this] { m_port.clear(QSerialPort::Output); }))
        return;
    long long bytes = 0;
    for (const std::string_view sentence : carried(tick)) {
        write(sentence);
        bytes += static_cast<long long>(sentence.size());
    }
    m_pace.sent(bytes, HeldLine::Clock::now());
}

// All of a tick, or, on a line too slow for the longest standard tick of its settings, the
// sentences before the sky and one GSV sentence, each in turn: the rest then
// still comes every second, and the whole sky within a few.
std::vector<std::string_view> SerialOutput::carried(const Tick& tick)
{
    std::vector<std::string_view> sentences(tick.begin(), tick.end());
    const std::size_t sky = tick.size() - std::min(tick.skyFrom, tick.size());
    if (CarriesInASecond(m_rate, tick.widest.whole) || sky <= 1)
        return sentences;
    if (m_nextGsv >= sky)
        m_nextGsv = 0;
    sentences.resize(tick.skyFrom);
    sentences.push_back(tick[tick.skyFrom + m_nextGsv++]);
    return sentences;
}

std::string SerialOutput::lineBytes(const Tick& tick)
{
    std::string bytes;
    for (const std::string_view sentence : carried(tick))
        bytes += sentence;
    return bytes;
}

void SerialOutput::sendStamped(const std::string& ticks)
{
    write(ticks);
}

bool SerialOutput::idle() const
{
    return m_port.bytesToWrite() == 0;
}

long long SerialOutput::waiting() const
{
    if (!m_port.isOpen())
        return 0;
    return m_port.bytesToWrite() + DriverOutputQueueBytes(Widened(m_port.handle()));
}

std::string SerialOutput::describe() const
{
    std::string text = m_portText.toStdString();
    if (!m_device.empty() && m_device != text)
        text.append(" (").append(m_device).append(")");
    if (const auto line = ParseSettings(m_settings.toStdString()))
        text.append(" ").append(std::to_string(line->rate)).append(" bps 8N1");
    return text;
}

void SerialOutput::onPortError(QSerialPort::SerialPortError error)
{
    // Every open reports NoError; failures of open itself are returned by open().
    if (error == QSerialPort::NoError || m_opening || !m_port.isOpen())
        return;
    // A hang-up seen by a read (end of file) leaves a stale errno in
    // errorString() here; only a failed write carries a reason worth showing.
    // On Windows every failure comes with the system's own words.
    const bool hungUp =
        (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && !LossCarriesReason();
    const OutputError lost =
        errorOn(OutputErrorKind::Lost, hungUp ? std::string{} : m_port.errorString().toStdString());
    // A lost pty keeps its write notifier firing until the port is closed.
    // Nothing is left to drain on a lost port, and clearing its queue could
    // report the loss a second time.
    m_port.close();
    m_port.clearError();
    emit failed(lost);
}

}  // namespace quilvex
