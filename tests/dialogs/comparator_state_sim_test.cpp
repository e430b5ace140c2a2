// The meter answers "COMParator:STATe?" in one of two forms, "ON"/"OFF" or "1"/"0"; the connect
// sequence and the comparator dialog read either alike. Against the simulated meter in both.

#include <QComboBox>

#include "fit_label.h"
#include "panel_harness.h"
#include "serial_port.h"
#include "simulated_meter.h"
#include "uFrmComp.h"

namespace benchbridge::testing {
namespace {

class ComparatorStateFormTest : public PanelHarness, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    sim::SimulatedMeterOptions options;
    options.comNumber = kMeterCom;
    options.instrument.comparatorNumeric = GetParam();
    simMeter_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), options);
  }
  void TearDown() override {
    panel_.reset();
    simMeter_.reset();
    PanelHarness::TearDown();
  }
  // Switched at the meter itself, before the panel comes.
  void SwitchComparatorAtTheMeter() {
    const PortHandle port = OpenPort(kMeterCom, 9600, home_.Path());
    ASSERT_NE(port, kInvalidPort);
    EXPECT_TRUE(WriteAll(port, "COMParator:STATe ON\n"));
    EXPECT_FALSE(ReadReply(port, 3).empty());
    ClosePort(port);
  }
  int DialogSwitch() {
    TFrmComp dialog(panel_->Context(), panel_.get());
    dialog.show();
    return dialog.c1->currentIndex();
  }

  std::unique_ptr<sim::SimulatedMeter> simMeter_;
};

TEST_P(ComparatorStateFormTest, ConnectionAndDialogShowTheSameSwitch) {
  SwitchComparatorAtTheMeter();
  StartPanel();
  ConnectPanel();
  EXPECT_EQ(panel_->cb6->currentIndex(), 1);
  EXPECT_TRUE(panel_->lls7->isVisible());
  EXPECT_EQ(panel_->LLs1->y(), 235);  // the bin layout
  EXPECT_EQ(panel_->Poller()->BinQuery(), "COMParator:TOLerance:BIN?\n");
  EXPECT_EQ(DialogSwitch(), 1);

  // Off at the meter: the dialog, opened with cb6 on, reads it off.
  panel_->Context().Send("COMParator:STATe OFF");
  EXPECT_EQ(DialogSwitch(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothAnswerForms, ComparatorStateFormTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& form) {
                           return form.param ? "Numeric" : "Words";
                         });

}  // namespace
}  // namespace benchbridge::testing
