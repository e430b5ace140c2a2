// Query: one command out and one reply back under the channel lock, on a real pseudo-terminal.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "channel.h"
#include "link_fixture.h"

namespace benchbridge::testing {
namespace {

// The main log as the channel sees it: lines collected in memory.
class LogLines {
 public:
  Channel::MainLog Writer() {
    return [this](const std::string& text) {
      std::lock_guard guard(mutex_);
      lines_.push_back(text);
    };
  }
  std::vector<std::string> Lines() const {
    std::lock_guard guard(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class ChannelTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    channel_ = std::make_unique<Channel>(port_, shared_, log_.Writer());
    port_ = kInvalidPort;  // the channel owns it now
  }
  void TearDown() override {
    channel_.reset();
    LinkTest::TearDown();
  }

  LinkShared shared_;
  LogLines log_;
  std::unique_ptr<Channel> channel_;
};

TEST_F(ChannelTest, CommandOutReplyBackInGbk) {
  fake_->Reply("FETCH:INT?", "Cs,1.2345μF,D,0.01");
  fake_->Reply("单位?", "Ω");
  EXPECT_FALSE(shared_.LinkReady());
  EXPECT_EQ(channel_->Query("FETCH:INT?\n"), "Cs,1.2345μF,D,0.01");
  EXPECT_TRUE(shared_.LinkReady());
  EXPECT_EQ(channel_->Query("单位?\n"), "Ω");
  EXPECT_EQ(fake_->Commands(), (std::vector<std::string>{"FETCH:INT?", "单位?"}));
  EXPECT_EQ(fake_->Server().Transcript()[2].bytes, "\xB5\xA5\xCE\xBB?");  // GBK on the wire
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(ChannelTest, CommandGoesOutExactlyAsGiven) {
  fake_->Reply("DISPlay:PAGE MEASurement", "");
  EXPECT_EQ(channel_->Query("DISPlay:PAGE MEASurement\n"), "");
  ASSERT_EQ(fake_->CommandCount(), 1u);
  EXPECT_EQ(fake_->Commands()[0], "DISPlay:PAGE MEASurement");
  // The fake counts its reply once the write returned, which may be just after Query did.
  EXPECT_TRUE(fake_->WaitForReplyCount(1u, std::chrono::seconds(5)));
}

// One of the two tests that wait out the 3 s limit: a reply that comes after it, whole or the
// rest of one cut at the limit, never answers the next command, even when the next command
// is already waiting as it arrives; the exchange that timed out still counts as finished.
TEST_F(ChannelTest, LateReplyNeverAnswersALaterCommand) {
  fake_->Respond("*IDN?", Delayed(ReplyLine("LATE-IDN"), 3500ms));
  fake_->Respond("*LX?", Pieces({{"s,9.99", 0ms}, {"77nF,D,0.00194\r\n", 3500ms}}));
  fake_->Reply("FETCH:INT?", "Cp,1.0pF,D,0.1");
  const long waited = MillisecondsOf([&] { EXPECT_EQ(channel_->Query("*IDN?\n"), ""); });
  EXPECT_GE(waited, 3000);
  EXPECT_TRUE(shared_.LinkReady());
  EXPECT_EQ(channel_->Query("FETCH:INT?\n"), "Cp,1.0pF,D,0.1");
  EXPECT_EQ(channel_->Query("*LX?\n"), "");
  EXPECT_EQ(channel_->Query("FETCH:INT?\n"), "Cp,1.0pF,D,0.1");
  EXPECT_EQ(channel_->Query("FETCH:INT?\n"), "Cp,1.0pF,D,0.1");
  // One line for each exchange that fell out of step, counting what came after its limit.
  // Asked a while after the time-out, when the late reply is already in: still counted, and the
  // quiet waited for (the reply may still be coming).
  fake_->Respond("*OPT?", Delayed(ReplyLine("LATE"), 3500ms));
  EXPECT_EQ(channel_->Query("*OPT?\n"), "");
  std::this_thread::sleep_for(1200ms);
  EXPECT_EQ(channel_->Query("FETCH:INT?\n"), "Cp,1.0pF,D,0.1");
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"out of step: 10 late bytes dropped.",
                                                    "out of step: 16 late bytes dropped.",
                                                    "out of step: 6 late bytes dropped."}));
}

TEST_F(ChannelTest, CommandLargerThanThePtyBufferGoesOutWhole) {
  FakeOptions slow;
  slow.readPause = 1ms;
  slow.lineLimit = std::size_t{256} * 1024;
  channel_.reset();
  Open(slow);
  channel_ = std::make_unique<Channel>(port_, shared_, log_.Writer());
  port_ = kInvalidPort;

  std::string command;
  for (int i = 0; command.size() < 200'000; ++i) command += std::to_string(i) + ",";
  fake_->Reply(command, "OK");
  EXPECT_EQ(channel_->Query(command + "\n"), "OK");
  ASSERT_EQ(fake_->CommandCount(), 1u);
  EXPECT_EQ(fake_->Commands()[0], command);
}

TEST_F(ChannelTest, TwoThreadsNeverMixTheirExchanges) {
  fake_->SetScript([](const std::string& command) { return ReplyLine("R:" + command); });
  constexpr int kEach = 1500;
  std::atomic<int> wrong{0};
  auto sender = [&](const std::string& name) {
    for (int i = 0; i < kEach; ++i) {
      const std::string command = name + ":" + std::to_string(i);
      if (channel_->Query(command + "\n") != "R:" + command) ++wrong;
    }
  };
  std::thread poller(sender, "FETCH");
  std::thread operatorThread(sender, "APER");
  poller.join();
  operatorThread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(fake_->CommandCount(), 2u * kEach);
  EXPECT_TRUE(log_.Lines().empty());
}

// The poller re-polls at once after "exec err"; an operator's command that starts waiting
// while a poll is on the wire must be the very next command, not wait behind more polls.
TEST_F(ChannelTest, WaitingCommandGoesOutBeforeTheNextPoll) {
  std::mutex mutex;
  std::condition_variable changed;
  bool holdNext = false;         // the operator asks the fake to hold the next poll's reply
  bool holding = false;          // a poll is on the wire, its reply held back
  bool operatorCalling = false;  // the operator is about to queue for the channel
  std::vector<std::size_t> heldAt;
  fake_->SetScript([&](const std::string& command) -> std::optional<Response> {
    if (command != "FETCH:INT?") return std::nullopt;
    std::unique_lock guard(mutex);
    if (!holdNext) return ReplyLine("exec err");
    holdNext = false;
    holding = true;
    heldAt.push_back(fake_->CommandCount() - 1);
    changed.notify_all();
    changed.wait_for(guard, 10s, [&] { return operatorCalling; });
    operatorCalling = holding = false;
    return Delayed(ReplyLine("exec err"), 50ms);  // ample time for the operator to queue
  });
  fake_->SetDefault(ReplyLine(""));

  std::atomic<bool> stop{false};
  std::thread poller([&] {
    while (!stop) channel_->Query("FETCH:INT?\n");
  });
  constexpr int kRounds = 10;
  for (int round = 0; round < kRounds; ++round) {
    {
      std::unique_lock guard(mutex);
      holdNext = true;
      ASSERT_TRUE(changed.wait_for(guard, 10s, [&] { return holding; }));
      operatorCalling = true;
    }
    changed.notify_all();
    channel_->Query("APERture SLOW " + std::to_string(round) + "\n");
  }
  stop = true;
  poller.join();

  const auto commands = fake_->Commands();
  std::lock_guard guard(mutex);
  ASSERT_EQ(heldAt.size(), static_cast<std::size_t>(kRounds));
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_LT(heldAt[round] + 1, commands.size());
    EXPECT_EQ(commands[heldAt[round] + 1], "APERture SLOW " + std::to_string(round));
  }
}

TEST(ChannelWithoutPort, EmptyReplyAtOnceAndOneSendBadLine) {
  LinkShared shared;
  LogLines log;
  Channel channel(kInvalidPort, shared, log.Writer());
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_FALSE(shared.LinkReady());
  const ExchangeResult result = channel.Ask("SYSTem:REMote\n");
  EXPECT_EQ(result.reply, "");
  EXPECT_EQ(result.status, ExchangeStatus::kWriteFailed);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"send bad."});
  EXPECT_TRUE(shared.LinkReady());  // set by an exchange that failed to write
}

TEST(ChannelWithoutPort, FailureInsideTheExchangeReleasesTheLock) {
  LinkShared shared;
  int calls = 0;
  Channel channel(kInvalidPort, shared, [&](const std::string&) {
    ++calls;
    throw std::runtime_error("log folder gone");
  });
  EXPECT_EQ(channel.Query("A\n"), "");
  EXPECT_TRUE(shared.LinkReady());
  EXPECT_EQ(channel.Query("B\n"), "");  // would block for ever if the lock were still held
  EXPECT_EQ(calls, 2);
}

TEST_F(ChannelTest, HungUpLineGivesEmptyRepliesAndIsLostOnce) {
  fake_->Respond("FETCH:INT?", ThenHangUp(Pieces({{"Cs,1", 0ms}})));
  EXPECT_EQ(channel_->Ask("FETCH:INT?\n").status, ExchangeStatus::kLineLost);
  EXPECT_TRUE(shared_.LinkReady());
  EXPECT_TRUE(channel_->Lost());  // the read ended on the hang-up
  EXPECT_EQ(channel_->Ask("FETCH:INT?\n").status, ExchangeStatus::kLineLost);
  // Nothing is written to the dead port any more, so no "send bad." either.
  EXPECT_EQ(log_.Lines(), std::vector<std::string>{"link lost."});
}

TEST_F(ChannelTest, AbandonCutsAReadInFlight) {
  // The reply would come well inside the limit; an abandoned read must not wait for it.
  fake_->Respond("*IDN?", Delayed(ReplyLine("IDN"), 1500ms));
  ExchangeResult result{"unset", ExchangeStatus::kOk};
  std::thread ui([&] { result = channel_->Ask("*IDN?\n"); });
  ASSERT_TRUE(fake_->WaitForCommand("*IDN?", 10s));
  channel_->Abandon();
  ui.join();
  EXPECT_EQ(result.reply, "");
  EXPECT_EQ(result.status, ExchangeStatus::kAbandoned);
  // Later queries give up at once, unlogged.
  EXPECT_EQ(channel_->Ask("*IDN?\n").status, ExchangeStatus::kAbandoned);
  EXPECT_EQ(fake_->CommandCount(), 1u);
  EXPECT_TRUE(log_.Lines().empty());
  EXPECT_TRUE(shared_.LinkReady());
}

TEST(LinkShared, WaitLinkReadyWakesOnTheFirstExchange) {
  LinkShared shared;
  EXPECT_FALSE(shared.WaitLinkReady(0ms));
  Channel channel(kInvalidPort, shared, {});
  bool ready = false;
  std::thread waiter([&] { ready = shared.WaitLinkReady(60s); });
  channel.Query("X\n");
  waiter.join();
  EXPECT_TRUE(ready);
}

}  // namespace
}  // namespace benchbridge::testing
