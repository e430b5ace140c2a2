// Statistics, hold, NULL and the comparator switch against the scripted meter: the commands,
// the status strip, the poller's extra queries and the reading layout.

#include <QPushButton>

#include "fit_label.h"
#include "key_harness.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

class DisplayKeysTest : public KeyHarness {
 protected:
  void SetUp() override {
    ConnectWith({{"FUNCtion:COMV?", "1.5nF"}, {"COMParator:TOLerance:BIN?", "3"}});
  }
  PollerControls& Controls() { return panel_->Context().Controls(); }
  std::string StatQuery() const { return panel_->Poller()->StatQuery(); }
  std::string BinQuery() const { return panel_->Poller()->BinQuery(); }
  std::vector<LabelGeometry> Geometry() const {
    std::vector<LabelGeometry> now;
    for (const FitLabel* label : panel_->ReadingLabels()) {
      now.push_back(
          {label->y(), label->font().pixelSize(), label->x(), label->width(), label->height()});
    }
    return now;
  }
};

TEST_F(DisplayKeysTest, TheSameStatisticsKeyTwiceTurnsStatisticsOnAndOff) {
  panel_->rbtn12->click();
  EXPECT_EQ(PanelCommands(), (Commands{"FUNCtion:COM MAX"}));
  EXPECT_EQ(panel_->bb3->text(), "MAX");
  EXPECT_EQ(StatQuery(), "FUNCtion:COMV?\n");
  // The poller now brings the statistics value.
  EXPECT_TRUE(WaitUntil([&] { return panel_->bb4->text() == "1.5nF"; }));

  panel_->rbtn12->click();
  EXPECT_EQ(PanelCommands(), (Commands{"FUNCtion:COM MAX", "FUNCtion:COM OFF"}));
  EXPECT_EQ(panel_->bb3->text(), "");
  EXPECT_EQ(panel_->bb4->text(), "");
  EXPECT_EQ(StatQuery(), "");
}

TEST_F(DisplayKeysTest, AnotherStatisticsKeySwitchesStraightToItsOwn) {
  panel_->rbtn12->click();
  panel_->rbtn14->click();
  panel_->rbtn13->click();
  EXPECT_EQ(PanelCommands(),
            (Commands{"FUNCtion:COM MAX", "FUNCtion:COM AVG", "FUNCtion:COM MIN"}));
  EXPECT_EQ(panel_->bb3->text(), "MIN");
  EXPECT_EQ(StatQuery(), "FUNCtion:COMV?\n");

  // The caption is the record, even when the meter does not answer.
  meter_->Reply("FUNCtion:COM OFF", "");
  panel_->rbtn13->click();
  EXPECT_EQ(panel_->bb3->text(), "");
  EXPECT_EQ(StatQuery(), "");
}

TEST_F(DisplayKeysTest, HoldTogglesThePollerAndAnyOtherKeyEndsIt) {
  panel_->rbtn10->click();
  EXPECT_TRUE(Controls().PollPaused());
  panel_->rbtn10->click();
  EXPECT_FALSE(Controls().PollPaused());
  EXPECT_TRUE(PanelCommands().empty());
  EXPECT_EQ(panel_->rbtn10->text(), "HOLD");

  panel_->rbtn10->click();
  panel_->rbtn14->click();
  EXPECT_FALSE(Controls().PollPaused());
  EXPECT_EQ(PanelCommands(), (Commands{"FUNCtion:COM AVG"}));
  for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
}

TEST_F(DisplayKeysTest, NullAlternatesFromOnWhateverTheMeterAnswers) {
  meter_->Reply("FUNCtion:DEV:MODE OFF", "exec err");
  for (int press = 0; press < 3; ++press) panel_->rbtn7->click();
  EXPECT_EQ(PanelCommands(),
            (Commands{"FUNCtion:DEV:MODE ON", "FUNCtion:DEV:MODE OFF", "FUNCtion:DEV:MODE ON"}));
  EXPECT_TRUE(panel_->Context().State().deviationOn);
  EXPECT_EQ(panel_->rbtn7->text(), "NULL");
}

TEST_F(DisplayKeysTest, TheComparatorSwitchBringsTheBinLayoutAndTakesItAway) {
  const auto design = Geometry();
  Controls().SetPollPaused(true);
  PickItem(panel_->cb6, "ON");
  EXPECT_EQ(PanelCommands(), (Commands{"COMParator:STATe ON"}));
  EXPECT_EQ(BinQuery(), "COMParator:TOLerance:BIN?\n");
  EXPECT_TRUE(panel_->lls7->isVisible());
  EXPECT_EQ(panel_->lls7->text(), "BIN:OUT");
  EXPECT_EQ(panel_->LLs1->y(), 235);
  EXPECT_EQ(panel_->LLs1->x(), 201);
  EXPECT_EQ(panel_->LLs4->y(), 274);
  EXPECT_TRUE(Controls().PollPaused());  // the switch leaves a hold alone
  Controls().SetPollPaused(false);
  EXPECT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:3"; }));

  PickItem(panel_->cb6, "OFF");
  EXPECT_EQ(PanelCommands(), (Commands{"COMParator:STATe ON", "COMParator:STATe OFF"}));
  EXPECT_EQ(BinQuery(), "");
  EXPECT_FALSE(panel_->lls7->isVisible());
  EXPECT_EQ(Geometry(), design);
}

TEST_F(DisplayKeysTest, AfterADisconnectTheComparatorSwitchDoesNothing) {
  PressConnectKey();
  ASSERT_FALSE(panel_->Context().Connected());
  meter_->ClearCommands();
  const auto before = Geometry();

  PickItem(panel_->cb6, "ON");
  EXPECT_TRUE(meter_->Commands().empty());
  EXPECT_FALSE(panel_->lls7->isVisible());
  EXPECT_EQ(Geometry(), before);
}

}  // namespace
}  // namespace benchbridge::testing
