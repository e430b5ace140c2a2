// The three dialogs against the simulated meter (its instrument model on a real pty), with the
// real main panel and poller: what an operator does with them, end to end.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "fit_label.h"
#include "panel_harness.h"
#include "simulated_meter.h"
#include "uFrmComp.h"
#include "uFrmList.h"
#include "uFrmSetup.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

class SimDialogsTest : public PanelHarness {
 protected:
  void SetUp() override {
    sim::SimulatedMeterOptions options;
    options.comNumber = kMeterCom;
    options.instrument.comparatorNumeric = true;  // "COMParator:STATe?" answers "1" / "0"
    options.seed = 7;
    simMeter_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), options);
    StartPanel();
    ConnectPanel();
    ASSERT_NE(panel_->Context().Poller(), nullptr);
  }
  void TearDown() override {
    panel_.reset();
    simMeter_.reset();
    PanelHarness::TearDown();
  }
  PanelContext& Context() { return panel_->Context(); }

  std::unique_ptr<sim::SimulatedMeter> simMeter_;
};

TEST_F(SimDialogsTest, ComparatorLimitsSetThereSortTheReadingsIntoBins) {
  TFrmComp dialog(Context(), panel_.get());
  dialog.show();
  // The simulated part is a 10 nF capacitor.
  dialog.edt1->setText("10");
  dialog.c13->setCurrentText("n");
  dialog.edt2->setText("-1");
  dialog.edt3->setText("1");
  dialog.edt4->setText("-5");
  dialog.edt5->setText("5");
  dialog.edt6->clear();
  dialog.edt7->clear();
  dialog.c1->setCurrentIndex(1);
  dialog.btn1->click();

  // What the meter took comes back into the dialog.
  EXPECT_EQ(dialog.edt1->text(), "10");
  EXPECT_EQ(dialog.c13->currentText(), "n");
  EXPECT_EQ(dialog.edt3->text(), "1");
  EXPECT_EQ(dialog.edt6->text(), "------");  // an unset limit, which the next Set passes through
  EXPECT_EQ(dialog.c1->currentIndex(), 1);
  EXPECT_EQ(panel_->cb6->currentIndex(), 1);
  EXPECT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:1"; }, 10s))
      << panel_->lls7->text().toStdString();

  // Limits the part misses: it falls out of every bin.
  dialog.edt1->setText("20");
  dialog.btn1->click();
  EXPECT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:OUT"; }, 10s))
      << panel_->lls7->text().toStdString();
}

TEST_F(SimDialogsTest, ListSweepSetTriggeredAndRefreshedWithVerdicts) {
  Context().Send("LIST:STATe ON");  // as the list switch does before it opens the dialog
  TFrmList dialog(Context(), panel_.get());
  dialog.show();
  ASSERT_EQ(dialog.BaseUnit(), "F") << dialog.edt1->text().toStdString();
  auto fill = [&](int row, const char* frequency, const char* low, const char* high) {
    dialog.Box(row, TFrmList::kFrequencyBox)->setText(frequency);
    dialog.Box(row, TFrmList::kLowBox)->setText(low);
    dialog.UnitList(row, TFrmList::kLowUnit)->setCurrentText("nF");
    dialog.Box(row, TFrmList::kHighBox)->setText(high);
    dialog.UnitList(row, TFrmList::kHighUnit)->setCurrentText("nF");
  };
  fill(1, "1000", "9", "11");
  fill(2, "1000", "1", "2");
  dialog.btnn2->click();
  EXPECT_EQ(dialog.Box(1, TFrmList::kLowBox)->text(), "9");
  EXPECT_EQ(dialog.UnitList(1, TFrmList::kLowUnit)->currentText(), "nF");
  EXPECT_EQ(dialog.Box(2, TFrmList::kHighBox)->text(), "2");

  dialog.btnn1->click();
  EXPECT_TRUE(WaitUntil(
      [&] {
        return dialog.Box(1, TFrmList::kCompareBox)->text() == "PASS" &&
               dialog.Box(2, TFrmList::kCompareBox)->text() == "FAIL";
      },
      10s))
      << dialog.Box(1, TFrmList::kCompareBox)->text().toStdString() << " "
      << dialog.Box(2, TFrmList::kCompareBox)->text().toStdString();
  EXPECT_TRUE(dialog.Box(1, TFrmList::kTestBox)->text().endsWith("nF"))
      << dialog.Box(1, TFrmList::kTestBox)->text().toStdString();
  dialog.close();
  Context().Send("LIST:STATe OFF");
}

TEST_F(SimDialogsTest, TriggerSourceChosenThereIsWhatTheMeterHoldsNextTime) {
  {
    TFrmSetup dialog(Context(), panel_.get());
    dialog.show();
    EXPECT_EQ(dialog.Ll1->text(), "LX3102");
    EXPECT_EQ(dialog.c4->currentText(), "INT");
    dialog.c4->setCurrentIndex(2);
    emit dialog.c4->activated(2);
    EXPECT_EQ(panel_->bb1->text(), "MAN");
  }
  TFrmSetup again(Context(), panel_.get());
  again.show();
  EXPECT_EQ(again.c4->currentText(), "MAN");
}

}  // namespace
}  // namespace benchbridge::testing
