#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quilvex {

// "[HOST:]PORT" as the user typed it: "10110", ":10110", "127.0.0.1:10110",
// "[::1]:10110". The host stays text; the network layer reads it.
// Nothing listens beyond this machine unless the user names an address.
inline constexpr std::string_view kLocalHost = "127.0.0.1";

struct NetworkAddress {
    std::string host;
    std::uint16_t port = 0;
};

// With no host given, `defaultHost`; nothing when the text is no address
// (port 0 or beyond 65535, a host with no port).
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text, std::string_view defaultHost);

// "HOST:PORT", an IPv6 host in brackets: "127.0.0.1:10110", "[::1]:10110".
std::string NetworkAddressText(const NetworkAddress& address);

// A window port text "tcp://[HOST]:PORT" gives the address text after the
// scheme; any other text gives nothing.
std::optional<std::string_view> TcpPortText(std::string_view portText);

}  // namespace quilvex
