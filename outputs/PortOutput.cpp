#include "PortOutput.hpp"

#include "NetworkAddress.hpp"
#include "PortRules.hpp"
#include "SerialOutput.hpp"
#include "TcpOutput.hpp"

namespace quilvex {

std::unique_ptr<TickOutput> MakePortOutput(const QString& portText, const QString& rateText)
{
    const std::string text = portText.toStdString();
    if (const auto address = TcpPortText(text))
        return std::make_unique<TcpOutput>(text, ParseNetworkAddress(*address, kLocalHost));
    auto link = std::make_unique<SerialOutput>();
    link->setPort(portText);
    link->setSettings(QString::fromStdString(SettingsText(rateText.toStdString())));
    return link;
}

}  // namespace quilvex
