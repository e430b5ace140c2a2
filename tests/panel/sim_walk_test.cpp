// One walk through the panel's keys against the simulated meter (the model behind
// benchbridge-sim, on a real pty): each key changes what the meter measures, the panel's
// caption says so, and the readings the poller brings follow.

#include <QComboBox>
#include <QPushButton>

#include "fit_label.h"
#include "panel_harness.h"
#include "simulated_meter.h"

namespace benchbridge::testing {
namespace {

class SimWalkTest : public PanelHarness {
 protected:
  void SetUp() override {
    sim::SimulatedMeterOptions options;
    options.comNumber = kMeterCom;
    options.instrument.model = *sim::FindModel("LX2110");
    std::string why;
    options.instrument.dut = *sim::ParseDut("capacitor", &why);
    sim_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), std::move(options));
    StartPanel();
    ConnectPanel();
  }
  void TearDown() override {
    PanelHarness::TearDown();
    sim_.reset();
  }

  // The caption, then a reading whose parameter names are the caption's (a reading already on
  // its way when the key was pressed may still show the old ones). Names show with a colon.
  void ExpectMeasuring(const QString& caption, const QString& primary, const QString& secondary) {
    EXPECT_EQ(panel_->CB1->text(), caption);
    EXPECT_TRUE(WaitUntil([&] {
      return panel_->LLs1->text() == primary + ':' && panel_->LLs4->text() == secondary + ':';
    })) << "reading shows "
        << panel_->LLs1->text().toStdString() << " " << panel_->LLs4->text().toStdString()
        << " under " << caption.toStdString();
  }

  std::unique_ptr<sim::SimulatedMeter> sim_;
};

TEST_F(SimWalkTest, TheReadingsFollowEveryKey) {
  ASSERT_TRUE(panel_->rbtn2->isEnabled());
  ExpectMeasuring("Cs-D", "Cs", "D");

  panel_->rbtn2->click();  // C -> L
  ExpectMeasuring("Ls-Q", "Ls", "Q");
  EXPECT_TRUE(panel_->cb9->isEnabled());

  panel_->rbtn3->click();  // Q -> θ
  ExpectMeasuring("Ls-θ", "Ls", "θ");

  panel_->rbtn4->click();  // series -> parallel
  ExpectMeasuring("Lp-θ", "Lp", "θ");

  panel_->rbtn6->click();  // DC resistance
  EXPECT_EQ(panel_->LLs888->text(), "DCR");
  EXPECT_FALSE(panel_->cb9->isEnabled());
  EXPECT_EQ(panel_->bb44->text(), "0Hz");
  EXPECT_TRUE(WaitUntil([&] { return panel_->LLs1->text() == "R:"; }));
  EXPECT_EQ(panel_->CB1->text(), "DCR");

  panel_->rbtn6->click();  // and back to the AC function it left
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  ExpectMeasuring("Lp-θ", "Lp", "θ");
  EXPECT_TRUE(panel_->cb4->isVisible());  // the readback brought the frequency list back

  panel_->rbtn5->click();  // electrolytic capacitor
  EXPECT_EQ(panel_->LLs888->text(), "ECA");
  ExpectMeasuring("ECs-D", "Cs", "D");

  // Statistics and the comparator add their answers to the poller's cycle.
  panel_->rbtn12->click();
  EXPECT_EQ(panel_->bb3->text(), "MAX");
  EXPECT_TRUE(WaitUntil([&] { return !panel_->bb4->text().isEmpty(); }));
  panel_->cb6->setCurrentIndex(1);
  emit panel_->cb6->activated(1);
  EXPECT_TRUE(WaitUntil([&] {
    return panel_->lls7->text().startsWith("BIN:") && panel_->lls7->text() != "BIN:OUT";
  })) << panel_->lls7->text().toStdString();
}

}  // namespace
}  // namespace benchbridge::testing
