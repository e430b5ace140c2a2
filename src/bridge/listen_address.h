#pragma once
// Where the bridge listens, as the operator writes it: "[ADDRESS:]PORT". A lone port listens on
// loopback; any other address (a LAN address, 0.0.0.0, ::) has to be written out. IPv6 addresses
// go in brackets ("[::1]:5025"); without brackets the text after the last colon is the port, so
// ":::5025" is "::" too. Only numeric addresses: a host name would make the bind depend on name
// resolution at start-up.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge {

struct ListenAddress {
  std::string address = "127.0.0.1";  // numeric IPv4 or IPv6, without brackets
  std::uint16_t port = 0;             // 0: a free port the system picks

  bool operator==(const ListenAddress&) const = default;
};

struct ListenAddressParse {
  std::optional<ListenAddress> address;
  std::string error;  // why the text is not an address, when address is empty
};

ListenAddressParse ParseListenAddress(std::string_view text);

// "127.0.0.1:5025", "[::1]:5025": the form ParseListenAddress reads back.
std::string FormatListenAddress(const ListenAddress& address);

}  // namespace benchbridge
