// Client lines through the bridge to the meter and back: framing, encoding, empty replies, the
// change notice and the log.
#include <gtest/gtest.h>

#include "bridge_fixture.h"
#include "gbk.h"

namespace benchbridge::testing {
namespace {

TEST_F(BridgeTest, EachCommandIsOneExchangeAndOnlyQueriesGetTheirReplyAsOneLine) {
  StartBridge(/*linkReady=*/false);
  BridgeClient client(port_);
  ASSERT_TRUE(client.Send("*IDN?\n"));
  // Like every sender, the bridge waits for the first exchange of the process.
  EXPECT_FALSE(meter_.WaitForCommand("*IDN?", 100ms));
  poller_->Query("QFIRST\n");
  EXPECT_EQ(client.ReadLine(kLimit), "LX,LX2110,V1.0,0,123");

  meter_.Reply("MUTE", "");                    // the meter says nothing
  meter_.Respond("TWO?", RawBytes("A\nB\n"));  // a reply with a bare line feed inside
  ASSERT_TRUE(client.Send("QSET 1μF\r\n \nMUTE\nTWO?\nQB?\n"));
  EXPECT_EQ(client.ReadLine(kLimit), "A B");  // nothing for the two commands, one line for TWO?
  EXPECT_EQ(client.ReadLine(kLimit), "R:QB?");

  // UTF-8 from the client, GBK on the wire.
  bool sawGbk = false;
  for (const auto& entry : meter_.Server().Transcript()) {
    sawGbk |= entry.bytes ==
              "QSET 1\xA6\xCC"
              "F";
  }
  EXPECT_TRUE(sawGbk);
  // The setting the meter took makes one notice; the silent one and the queries none.
  ASSERT_TRUE(sink_.WaitFor([](const auto&, int notices) { return notices >= 1; }));
  ASSERT_TRUE(client.Send("QC?\n"));
  EXPECT_EQ(client.ReadLine(kLimit), "R:QC?");
  EXPECT_EQ(sink_.Notices(), 1);
  EXPECT_EQ(sink_.Changes(), std::vector<MeterChange>{MeterChange{}});

  client.Close();
  ASSERT_TRUE(sink_.WaitForClients(0));
  const std::string peer = LogLinesWith(" connected (1 of 4)").at(0);
  const std::string who = peer.substr(0, peer.find(' '));
  EXPECT_EQ(LogLinesWith(who + ": "), (std::vector<std::string>{
                                          who + ": *IDN? -> LX,LX2110,V1.0,0,123",
                                          who + ": QSET 1μF -> R:QSET 1μF",
                                          who + ": MUTE -> (no reply)",
                                          who + ": TWO? -> A B",
                                          who + ": QB? -> R:QB?",
                                          who + ": QC? -> R:QC?",
                                      }));
  EXPECT_EQ(LogLinesWith(who + " disconnected").at(0), who + " disconnected: closed by the client");
  EXPECT_EQ(FileLines(home_.Path() / "log" / "2026-12-07.log").size(),
            0u);  // design logs untouched
}

}  // namespace
}  // namespace benchbridge::testing
