// Clients that misbehave: bad lines, one client too many, one that stops reading, one that leaves
// in the middle of its exchange. None of it reaches the meter or harms the other clients.
#include <gtest/gtest.h>

#include <string>

#include "bridge_fixture.h"

namespace benchbridge::testing {
namespace {

TEST_F(BridgeTest, ABadLineNeverReachesTheMeterAndItsClientIsLetGo) {
  StartBridge();
  BridgeClient steady(port_);
  const std::string longest = "Q" + std::string(1022, 'x') + "?";  // 1024 bytes: still a line
  ASSERT_TRUE(steady.Send(longest + "\r\n"));
  EXPECT_EQ(steady.ReadLine(kLimit), "R:" + longest);

  const std::pair<std::string, std::string> bad[] = {
      {"Q" + std::string(1024, 'x') + "\n", "line longer than 1024 bytes"},
      {std::string(3000, 'Q'), "line longer than 1024 bytes"},  // and never a line feed
      {std::string("QA\0B?\n", 6), "control byte"},
      {"Q\x1b[A\n", "control byte"},
      {"Q\xb5"
       "F?\n",
       "not UTF-8"},
  };
  for (const auto& [bytes, why] : bad) {
    const std::size_t logged = LogLinesWith(why).size();
    BridgeClient client(port_);
    ASSERT_TRUE(client.Send("QGOOD?\n" + bytes + "QAFTER?\n"));
    EXPECT_EQ(client.ReadLine(kLimit), "R:QGOOD?");
    EXPECT_TRUE(client.WaitClosed(kLimit)) << why;
    EXPECT_TRUE(WaitForLogLine(why, logged + 1)) << why;
  }
  ASSERT_TRUE(steady.Send("QSTILL?\n"));
  EXPECT_EQ(steady.ReadLine(kLimit), "R:QSTILL?");
  for (const auto& command : meter_.Commands()) {
    EXPECT_TRUE(command == "*IDN?" || command == "QGOOD?" || command == "QSTILL?" ||
                command == longest)
        << command;
  }
}

TEST_F(BridgeTest, AFifthClientIsRefusedAtOnceWhileFourAreServed) {
  StartBridge();
  std::vector<std::unique_ptr<BridgeClient>> four;
  for (int c = 0; c < 4; ++c) four.push_back(std::make_unique<BridgeClient>(port_));
  ASSERT_TRUE(sink_.WaitForClients(4));
  BridgeClient fifth(port_);
  EXPECT_TRUE(fifth.WaitClosed(kLimit));
  EXPECT_EQ(LogLinesWith("refused: 4 clients already connected").size(), 1u);
  for (auto& client : four) {
    ASSERT_TRUE(client->Send("QHERE?\n"));
    EXPECT_EQ(client->ReadLine(kLimit), "R:QHERE?");
  }
  four.pop_back();  // a place comes free
  ASSERT_TRUE(sink_.WaitForClients(3));
  BridgeClient late(port_);
  ASSERT_TRUE(late.Send("QLATE?\n"));
  EXPECT_EQ(late.ReadLine(kLimit), "R:QLATE?");
  EXPECT_EQ(bridge_.ClientCount(), 4);
}

TEST_F(BridgeTest, AClientThatSendsButNeverReadsIsDroppedOnceItsWindowOfRepliesWaitsUnread) {
  meter_.Reply("BIG?", std::string(1000, 'b'));
  StartBridge();
  BridgeClient reader(port_);
  BridgeClient hog(port_);  // the system's usual receive buffer
  std::string lines;
  for (int i = 0; i < 1000; ++i) lines += "BIG?\n";  // 1 MB of replies if it were all kept
  ASSERT_TRUE(hog.Send(lines));
  ASSERT_TRUE(WaitForLogLine("stopped reading: its receive window is full of unread replies"));
  // About 64 KiB, not the megabytes of socket buffers that kept its lines on the meter's line.
  EXPECT_LT(meter_.CountOf("BIG?"), 100u);
  EXPECT_TRUE(hog.WaitClosed(kLimit));
  ASSERT_TRUE(reader.Send("QSTILL?\n"));
  EXPECT_EQ(reader.ReadLine(kLimit), "R:QSTILL?");
}

TEST_F(BridgeTest, AClientThatLeavesMidExchangeLetsItFinishAndItsReplyIsDropped) {
  meter_.Respond("SLOW?", Delayed(ReplyLine("late"), 200ms));
  StartBridge();
  {
    BridgeClient leaving(port_);
    ASSERT_TRUE(leaving.Send("SLOW?\nQNEVER?\n"));
    ASSERT_TRUE(meter_.WaitForCommand("SLOW?", kLimit));
  }
  ASSERT_TRUE(WaitForLogLine(" disconnected: closed by the client during an exchange"));
  ASSERT_TRUE(WaitForLogLine("SLOW? -> late"));
  EXPECT_EQ(meter_.CountOf("QNEVER?"), 0u);
  BridgeClient next(port_);
  ASSERT_TRUE(next.Send("QNEXT?\n"));
  EXPECT_EQ(next.ReadLine(kLimit), "R:QNEXT?");

  // A one-shot pipe into socat or netcat only ends its sending side: it still gets the reply.
  BridgeClient oneShot(port_);
  ASSERT_TRUE(oneShot.Send("SLOW?\nQNEVER?\n"));
  ASSERT_TRUE(meter_.WaitForCommand("SLOW?", kLimit, 2));
  oneShot.FinishSending();
  EXPECT_EQ(oneShot.ReadLine(kLimit), "late");
  EXPECT_TRUE(oneShot.WaitClosed(kLimit));
  EXPECT_EQ(meter_.CountOf("QNEVER?"), 0u);
}

}  // namespace
}  // namespace benchbridge::testing
