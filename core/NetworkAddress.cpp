#include "NetworkAddress.hpp"

#include "NumberText.hpp"

namespace quilvex {

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text, std::string_view defaultHost)
{
    NetworkAddress address{std::string(defaultHost), 0};
    std::string_view port = text;
    if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
        std::string_view host = text.substr(0, colon);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2);
        if (!host.empty())
            address.host = host;
        port = text.substr(colon + 1);
    }
    const auto value = WholeValue<std::uint16_t>(port);
    if (!value || *value == 0)
        return std::nullopt;
    address.port = *value;
    return address;
}

std::string NetworkAddressText(const NetworkAddress& address)
{
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::optional<std::string_view> TcpPortText(std::string_view portText)
{
    constexpr std::string_view kScheme = "tcp://";
    if (!portText.starts_with(kScheme))
        return std::nullopt;
    return portText.substr(kScheme.size());
}

}  // namespace quilvex
