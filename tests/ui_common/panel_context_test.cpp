// The sender convention of PanelContext on a real poller and port.

#include "panel_harness.h"
#include "task_queue.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

class PanelContextTest : public PanelHarness {};

TEST_F(PanelContextTest, WithoutAPollerNothingIsSent) {
  StartMeter();
  PanelContext context(HomeFolders::In(home_.Path()));
  context.State().replyText = "stale";
  EXPECT_EQ(context.Send("*IDN?"), "");
  EXPECT_EQ(context.State().replyText, "");
  EXPECT_EQ(meter_->CommandCount(), 0u);
}

TEST_F(PanelContextTest, SendAsksTheSessionsPollerUntilShutdown) {
  StartMeter();
  PanelContext context(HomeFolders::In(home_.Path()));
  TaskQueue owner;
  MeterSession session({home_.Path(), context.Link(), context.Controls(), context.Log(), owner});
  context.SetSession(&session);
  EXPECT_EQ(context.Exchange("*IDN?").status, ExchangeStatus::kNoLine);  // not connected yet
  ASSERT_EQ(session.Connect(kMeterCom), ConnectOutcome::kComplete);
  EXPECT_TRUE(context.Connected());

  EXPECT_EQ(context.Send("*IDN?"), "LX,LX2110,V1.02,2026,SN0042");
  EXPECT_EQ(context.State().replyText, "LX,LX2110,V1.02,2026,SN0042");

  // Ask: the reply, or nothing where the reply is empty.
  meter_->Reply("APERture?", "");
  EXPECT_EQ(context.Ask("*IDN?"), "LX,LX2110,V1.02,2026,SN0042");
  EXPECT_EQ(context.Ask("APERture?"), std::nullopt);
  EXPECT_EQ(context.Exchange("APERture?").status, ExchangeStatus::kTimeOut);
  EXPECT_TRUE(context.Tell("APERture?"));

  context.SetStatQuery(true);
  EXPECT_EQ(context.Poller()->StatQuery(), "FUNCtion:COMV?\n");
  context.SetStatQuery(false);
  EXPECT_EQ(context.Poller()->StatQuery(), "");

  context.BeginShutdown();
  const auto count = meter_->CountOf("*IDN?");
  EXPECT_EQ(context.Send("*IDN?"), "");
  EXPECT_EQ(context.Ask("*IDN?"), std::nullopt);
  EXPECT_FALSE(context.Tell("*IDN?"));
  EXPECT_EQ(meter_->CountOf("*IDN?"), count);
  session.Close(false);
  context.SetSession(nullptr);
}

}  // namespace
}  // namespace benchbridge::testing
