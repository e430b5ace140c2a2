// The sender convention of PanelContext on a real poller and port.

#include <QTimer>
#include <thread>

#include "panel_harness.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

class NullSink : public PollerSink {
 public:
  void ShowReading(const Reading&) override {}
  void ShowBin(const std::string&) override {}
  void ShowStat(const std::string&) override {}
  void PollerEnded() override {}
};

class PanelContextTest : public PanelHarness {
 protected:
  std::unique_ptr<TsmThread> MakePoller(PanelContext& context) {
    return std::make_unique<TsmThread>(kMeterCom, home_.Path(), context.Link(), context.Controls(),
                                       context.Log(), sink_);
  }
  NullSink sink_;
};

TEST_F(PanelContextTest, WithoutAPollerNothingIsSent) {
  StartMeter();
  PanelContext context(HomeFolders::In(home_.Path()));
  context.State().replyText = "stale";
  EXPECT_EQ(context.Send("*IDN?"), "");
  EXPECT_EQ(context.State().replyText, "");
  EXPECT_EQ(meter_->CommandCount(), 0u);
}

TEST_F(PanelContextTest, SendWaitsForLinkReadyWhileTheWindowKeepsWorking) {
  StartMeter();
  // The first exchange of the process is answered late, so LinkReady comes only after it.
  meter_->Respond("*LX?", Delayed(ReplyLine("2110"), 300ms));
  PanelContext context(HomeFolders::In(home_.Path()));
  auto poller = MakePoller(context);
  context.SetPoller(poller.get());
  std::thread first([&] { poller->Query("*LX?\n"); });
  ASSERT_TRUE(meter_->WaitForCommand("*LX?", 5s));

  bool eventsRan = false;
  QTimer::singleShot(0, [&] { eventsRan = true; });
  EXPECT_EQ(context.Send("*IDN?"), "LX,LX2110,V1.02,2026,SN0042");
  first.join();
  EXPECT_TRUE(eventsRan);
  EXPECT_EQ(meter_->Commands(), (std::vector<std::string>{"*LX?", "*IDN?"}));
  EXPECT_EQ(context.State().replyText, "LX,LX2110,V1.02,2026,SN0042");

  // Ask: the reply, or nothing where the reply is empty.
  meter_->Reply("APERture?", "");
  EXPECT_EQ(context.Ask("*IDN?"), "LX,LX2110,V1.02,2026,SN0042");
  EXPECT_EQ(context.Ask("APERture?"), std::nullopt);
  EXPECT_TRUE(context.Tell("APERture?"));

  context.SetStatQuery(true);
  EXPECT_EQ(poller->StatQuery(), "FUNCtion:COMV?\n");
  context.SetStatQuery(false);
  EXPECT_EQ(poller->StatQuery(), "");

  context.BeginShutdown();
  const auto count = meter_->CountOf("*IDN?");
  EXPECT_EQ(context.Send("*IDN?"), "");
  EXPECT_EQ(context.Ask("*IDN?"), std::nullopt);
  EXPECT_FALSE(context.Tell("*IDN?"));
  EXPECT_EQ(meter_->CountOf("*IDN?"), count);
  context.SetPoller(nullptr);
}

}  // namespace
}  // namespace benchbridge::testing
