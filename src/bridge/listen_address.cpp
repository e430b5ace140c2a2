#include "listen_address.h"

#include <asio/ip/address.hpp>
#include <charconv>
#include <system_error>

namespace benchbridge {
namespace {

ListenAddressParse Fail(std::string error) { return {std::nullopt, std::move(error)}; }

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value > 65535) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

ListenAddressParse ParseListenAddress(std::string_view text) {
  const std::string quoted = "\"" + std::string(text) + "\"";
  if (text.empty()) return Fail("no port given: write PORT or ADDRESS:PORT, for example 5025");
  std::string_view address;
  std::string_view port = text;
  if (text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string_view::npos) return Fail(quoted + ": \"[\" without \"]\"");
    if (close + 1 >= text.size() || text[close + 1] != ':') {
      return Fail(quoted + ": a bracketed address needs \":PORT\" after it, as in [::1]:5025");
    }
    address = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
    address = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (address.empty()) return Fail(quoted + ": no address before \":\" (leave out the colon)");
  }
  const auto portNumber = ParsePort(port);
  if (!portNumber) {
    return Fail(quoted + ": the port must be a number from 0 to 65535, not \"" + std::string(port) +
                "\"");
  }
  ListenAddress result;
  result.port = *portNumber;
  if (!address.empty() || text.front() == '[') {
    std::error_code error;
    const asio::ip::address parsed = asio::ip::make_address(std::string(address), error);
    if (error) {
      return Fail(quoted + ": \"" + std::string(address) +
                  "\" is not a numeric IPv4 or IPv6 address");
    }
    result.address = parsed.to_string();
  }
  return {result, {}};
}

std::string FormatListenAddress(const ListenAddress& address) {
  const bool v6 = address.address.find(':') != std::string::npos;
  return (v6 ? "[" + address.address + "]" : address.address) + ":" + std::to_string(address.port);
}

}  // namespace benchbridge
