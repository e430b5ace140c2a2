// Several clients and the running poller on one line paced like the real one, checked against
// what the meter received.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <numeric>
#include <thread>

#include "bridge_fixture.h"

namespace benchbridge::testing {
namespace {

class PacedBridgeTest : public BridgeTest {
 protected:
  PacedBridgeTest() : BridgeTest(FakeOptions{.pacingBaud = 9600}) {}
};

TEST_F(PacedBridgeTest, ClientsAndThePollerTakeTurnsAndEveryReplyGoesToTheClientThatAsked) {
  StartBridge();
  poller_->Start();
  constexpr int kClients = 4;
  constexpr std::size_t kPolls = 3;
  std::atomic<int> wrong{0};
  std::vector<int> sent(kClients, 0);
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      BridgeClient client(port_);
      // Back to back until the poller has been on the wire a few times in between.
      for (int i = 0; meter_.CountOf("FETCH:INT?") < kPolls && i < 1000; ++i) {
        const std::string line = "Q" + std::to_string(c) + "-" + std::to_string(i) + "?";
        if (!client.Send(line + "\n") || client.ReadLine(kLimit) != "R:" + line) ++wrong;
        sent[c] = i + 1;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(wrong.load(), 0);

  std::map<std::string, int> onWire;
  for (const auto& command : meter_.Commands()) ++onWire[command];
  for (int c = 0; c < kClients; ++c) {
    EXPECT_GT(sent[c], 0);
    for (int i = 0; i < sent[c]; ++i) {
      EXPECT_EQ(onWire["Q" + std::to_string(c) + "-" + std::to_string(i) + "?"], 1) << c << i;
    }
  }
  // Nothing else reached the meter: no piece of a line, nothing twice.
  int total = 0;
  for (const auto& [command, count] : onWire) total += count;
  EXPECT_EQ(total,
            onWire["*IDN?"] + onWire["FETCH:INT?"] + std::accumulate(sent.begin(), sent.end(), 0));
  // The poller kept its pace: more than 500 ms from one poll's reply to the next poll.
  std::vector<std::chrono::system_clock::time_point> replies, polls;
  bool pollOnWire = false;
  for (const auto& entry : meter_.Server().Transcript()) {
    if (entry.kind == sim::TranscriptEntry::Kind::Command) {
      pollOnWire = entry.bytes == "FETCH:INT?";
      if (pollOnWire) polls.push_back(entry.when);
    } else if (pollOnWire) {
      replies.push_back(entry.when);
    }
  }
  ASSERT_GE(polls.size(), kPolls);
  // A reply's time is taken once its last byte is written, which may be a moment after the poller
  // had it: the margin is for that, far below a poll period.
  for (std::size_t k = 1; k < polls.size(); ++k) EXPECT_GE(polls[k] - replies[k - 1], 450ms);
}

}  // namespace
}  // namespace benchbridge::testing
