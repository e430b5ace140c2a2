#include "listen_address.h"

#include <gtest/gtest.h>

namespace benchbridge {
namespace {

TEST(ListenAddressTest, APortAloneListensOnLoopbackAndOtherAddressesMustBeNamed) {
  const struct {
    const char* text;
    const char* address;
    int port;
  } good[] = {
      {"5025", "127.0.0.1", 5025},       {"0", "127.0.0.1", 0},
      {"0.0.0.0:5025", "0.0.0.0", 5025}, {"192.168.1.7:80", "192.168.1.7", 80},
      {"[::1]:5025", "::1", 5025},       {":::5025", "::", 5025},
      {"[::]:65535", "::", 65535},
  };
  for (const auto& c : good) {
    const ListenAddressParse parsed = ParseListenAddress(c.text);
    ASSERT_TRUE(parsed.address) << c.text << ": " << parsed.error;
    EXPECT_EQ(parsed.address->address, c.address) << c.text;
    EXPECT_EQ(parsed.address->port, c.port) << c.text;
    EXPECT_EQ(ParseListenAddress(FormatListenAddress(*parsed.address)).address, parsed.address);
  }
  for (const char* bad :
       {"", "65536", "-1", "+5025", "50 25", "port", "localhost:5025", "1.2.3:5025", ":5025",
        "[::1]5025", "[::1", "[]:5025", "5025:", "127.0.0.1:", "::1:5025x"}) {
    const ListenAddressParse parsed = ParseListenAddress(bad);
    EXPECT_FALSE(parsed.address) << bad;
    EXPECT_FALSE(parsed.error.empty()) << bad;
  }
  EXPECT_EQ(FormatListenAddress({"::1", 5025}), "[::1]:5025");
}

}  // namespace
}  // namespace benchbridge
