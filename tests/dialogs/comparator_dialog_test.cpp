// The comparator dialog against the real main panel and a scripted meter on a real pty.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "dialog_harness.h"
#include "fit_label.h"
#include "modal_watcher.h"
#include "uFrmComp.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

const std::string kRange = "COMParator:TOLerance:RANGe:";

// A meter holding a complete comparator setup.
std::map<std::string, std::string> ComparatorScript() {
  return {{"COMParator:STATe?", "1"},
          {"COMParator:TOLerance:NOMinal?", "1.5e-3"},
          {kRange + "1L?", "-1"},
          {kRange + "1H?", "1"},
          {kRange + "2L?", "-5"},
          {kRange + "2H?", "5"},
          {kRange + "3L?", "------"},
          {kRange + "3H?", "10"},
          {kRange + "2ndL?", "12345678.9012e-6"},
          {kRange + "2ndH?", "2e6"}};
}

std::vector<std::string> ReadBackQueries(bool withSecondary) {
  std::vector<std::string> queries{"COMParator:STATe?", "COMParator:TOLerance:NOMinal?"};
  for (const char* ending : {"1L", "1H", "2L", "2H", "3L", "3H"}) {
    queries.push_back(kRange + ending + "?");
  }
  if (withSecondary) {
    queries.push_back(kRange + "2ndL?");
    queries.push_back(kRange + "2ndH?");
  }
  return queries;
}

class ComparatorDialogTest : public DialogHarness {
 protected:
  void Open() {
    dialog_ = std::make_unique<TFrmComp>(Context(), panel_.get());
    dialog_->show();  // FormShow reads the meter before the dialog appears
  }
  void TearDown() override {
    dialog_.reset();
    DialogHarness::TearDown();
  }
  void FillBins(const std::array<const char*, 6>& limits) {
    std::array<QLineEdit*, 6> boxes{dialog_->edt2, dialog_->edt3, dialog_->edt4,
                                    dialog_->edt5, dialog_->edt6, dialog_->edt7};
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setText(limits[i]);
  }
  std::unique_ptr<TFrmComp> dialog_;
};

TEST_F(ComparatorDialogTest, ShowingReadsEverySettingIntoTheBoxes) {
  StartConnected(ComparatorScript());
  Open();
  EXPECT_EQ(PanelCommands(), ReadBackQueries(true));
  EXPECT_EQ(dialog_->windowTitle(), "COM SET");
  EXPECT_EQ(dialog_->b1->text(), "Nom：");
  EXPECT_EQ(dialog_->c1->currentText(), "ON");
  // 1.5e-3 is milli, not mega: the prefix lookup tells "m" from "M".
  EXPECT_EQ(dialog_->edt1->text(), "1.5");
  EXPECT_EQ(dialog_->c13->currentText(), "m");
  EXPECT_EQ(dialog_->edt2->text(), "-1");
  EXPECT_EQ(dialog_->edt6->text(), "------");
  EXPECT_EQ(dialog_->edt7->text(), "10");
  // The typing limit does not cut what the meter sent.
  EXPECT_EQ(dialog_->edt8->text(), "12345678.9012");
  EXPECT_EQ(dialog_->c14->currentText(), "μ");
  EXPECT_EQ(dialog_->edt9->text(), "2");
  EXPECT_EQ(dialog_->c15->currentText(), "M");
  EXPECT_EQ(dialog_->c13->count(), 7);
  EXPECT_EQ(dialog_->c13->itemText(0), " ");
}

TEST_F(ComparatorDialogTest, PlainNominalSelectsNoPrefixAndSetAppendsNone) {
  auto script = ComparatorScript();
  script["COMParator:TOLerance:NOMinal?"] = "100";
  StartConnected(script);
  Open();
  EXPECT_EQ(dialog_->edt1->text(), "100");
  EXPECT_EQ(dialog_->c13->currentIndex(), -1);
  FillBins({"", "", "", "", "", ""});
  meter_->ClearCommands();
  dialog_->btn1->click();
  ASSERT_FALSE(PanelCommands().empty());
  EXPECT_EQ(PanelCommands().front(), "COMParator:TOLerance:NOMinal 100");
}

TEST_F(ComparatorDialogTest, SilentNominalStopsTheReadBack) {
  auto script = ComparatorScript();
  script["COMParator:TOLerance:NOMinal?"] = "";
  StartConnected(script);
  panel_->SetBridgeMode(BridgeMode::Dcr);
  Open();
  EXPECT_EQ(PanelCommands(),
            (std::vector<std::string>{"COMParator:STATe?", "COMParator:TOLerance:NOMinal?"}));
  EXPECT_EQ(dialog_->c1->currentIndex(), 1);
  EXPECT_TRUE(dialog_->edt1->text().isEmpty());
  EXPECT_TRUE(dialog_->edt2->text().isEmpty());
  EXPECT_EQ(dialog_->c13->currentText(), " ");
  EXPECT_EQ(dialog_->c14->currentText(), " ");
  // The chain ended before the DC resistance step: the secondary row stays usable.
  EXPECT_TRUE(dialog_->edt8->isEnabled());
  EXPECT_FALSE(dialog_->c14->isHidden());
}

TEST_F(ComparatorDialogTest, UnknownStateReplyLeavesTheSwitchWhereThePanelHasIt) {
  auto script = ComparatorScript();
  script["COMParator:STATe?"] = "on";  // "ON" and "1" are on; the reply is compared exactly
  StartConnected(script);
  panel_->SelectComparatorSwitch(1);
  Open();
  EXPECT_EQ(dialog_->c1->currentIndex(), 1);
  dialog_.reset();
  panel_->SelectComparatorSwitch(0);
  Open();
  EXPECT_EQ(dialog_->c1->currentIndex(), 0);
}

TEST_F(ComparatorDialogTest, SetWithSwitchOnSendsEveryLimitThenSwitchesAndReadsBack) {
  StartConnected(ComparatorScript());
  Open();
  dialog_->edt1->setText("10");
  dialog_->c13->setCurrentText("k");
  FillBins({"99.99", "-99.99", "------", "", " ", "5"});
  dialog_->edt8->clear();
  dialog_->c14->setCurrentText("μ");
  dialog_->edt9->setText("3");
  dialog_->c15->setCurrentIndex(0);
  dialog_->c1->setCurrentIndex(1);
  meter_->ClearCommands();
  const std::size_t wireBefore = WireBytes().size();

  dialog_->btn1->click();

  std::vector<std::string> expected{"COMParator:TOLerance:NOMinal 10k",
                                    kRange + "1L 99.99",
                                    kRange + "1H -99.99",
                                    kRange + "2L ------",
                                    kRange + "2H --",
                                    kRange + "3L --",
                                    kRange + "3H 5",
                                    kRange + "2ndL --μ",
                                    kRange + "2ndH 3",
                                    "COMParator:STATe ON"};
  for (const std::string& query : ReadBackQueries(true)) expected.push_back(query);
  EXPECT_EQ(PanelCommands(), expected);
  // μ goes out as its GBK form.
  EXPECT_NE(WireBytes().substr(wireBefore).find("2ndL --\xA6\xCC\n"), std::string::npos);

  EXPECT_TRUE(dialog_->isVisible());  // Set leaves the dialog open
  EXPECT_EQ(panel_->cb6->currentIndex(), 1);
  EXPECT_EQ(Context().Poller()->BinQuery(), "COMParator:TOLerance:BIN?\n");
  EXPECT_FALSE(panel_->lls7->isHidden());
  // The poller asks for the bin from its next cycle on. A cycle may be under way (its bin query
  // still to come): the second bin query from now on is from a cycle that began after the Set.
  const std::size_t afterSet = meter_->CommandCount();
  EXPECT_TRUE(meter_->WaitForCommand("COMParator:TOLerance:BIN?", 5s,
                                     meter_->CountOf("COMParator:TOLerance:BIN?") + 2));
  const std::vector<std::string> all = meter_->Commands();
  EXPECT_NE(std::find(all.begin() + static_cast<std::ptrdiff_t>(afterSet), all.end(), "FETCH:INT?"),
            all.end());
}

TEST_F(ComparatorDialogTest, SetWithSwitchOffStopsTheBinQuery) {
  StartConnected(ComparatorScript());
  Open();
  dialog_->btn1->click();  // on, as the meter said
  ASSERT_EQ(Context().Poller()->BinQuery(), "COMParator:TOLerance:BIN?\n");
  ASSERT_TRUE(meter_->WaitForCommand("COMParator:TOLerance:BIN?", 5s));

  meter_->Reply("COMParator:STATe?", "0");
  dialog_->c1->setCurrentIndex(0);
  meter_->ClearCommands();
  dialog_->btn1->click();
  const std::vector<std::string> sent = PanelCommands();
  ASSERT_GE(sent.size(), 10u);
  EXPECT_EQ(sent[9], "COMParator:STATe OFF");
  EXPECT_EQ(dialog_->c1->currentIndex(), 0);
  EXPECT_EQ(panel_->cb6->currentIndex(), 0);
  EXPECT_TRUE(panel_->lls7->isHidden());
  EXPECT_EQ(Context().Poller()->BinQuery(), "");
  // A cycle that came between the Set's exchanges may still have asked for the bin; from the
  // next cycle on, two whole cycles go by without it.
  const std::size_t polls = meter_->CountOf("FETCH:INT?");
  ASSERT_TRUE(meter_->WaitForCommand("FETCH:INT?", 5s, polls + 1));
  const std::size_t bins = meter_->CountOf("COMParator:TOLerance:BIN?");
  ASSERT_TRUE(meter_->WaitForCommand("FETCH:INT?", 5s, polls + 3));
  EXPECT_EQ(meter_->CountOf("COMParator:TOLerance:BIN?"), bins);
}

TEST_F(ComparatorDialogTest, EmptyNominalIsSentWithNothingAfterTheBlank) {
  StartConnected(ComparatorScript());
  Open();
  dialog_->edt1->clear();
  dialog_->c13->setCurrentIndex(0);
  meter_->ClearCommands();
  dialog_->btn1->click();
  ASSERT_FALSE(PanelCommands().empty());
  EXPECT_EQ(PanelCommands().front(), "COMParator:TOLerance:NOMinal ");
}

TEST_F(ComparatorDialogTest, OutOfRangeLimitIsRefusedWithItsBinAndNothingSent) {
  StartConnected(ComparatorScript());
  Open();
  FillBins({"1", "2", "-3", "99.991", "", ""});
  meter_->ClearCommands();
  ModalWatcher watcher;
  dialog_->btn1->click();
  EXPECT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().title, "提示");
  EXPECT_EQ(watcher.Last().text, "2档参数值有误。参数区间值[-99.99~~+99.99]");
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Warning);
  EXPECT_EQ(dialog_->focusWidget(), dialog_->edt5);
  EXPECT_TRUE(PanelCommands().empty());

  // Only the first bad box is reported.
  FillBins({"150", "", "", "", "", "-200"});
  dialog_->btn1->click();
  EXPECT_EQ(watcher.Count(), 2);
  EXPECT_EQ(watcher.Last().text, "1档参数值有误。参数区间值[-99.99~~+99.99]");
  EXPECT_EQ(dialog_->focusWidget(), dialog_->edt2);
  EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(ComparatorDialogTest, LimitThatIsNoNumberIsReportedAsAConversionError) {
  StartConnected(ComparatorScript());
  Open();
  FillBins({"", "+", "", "", "", ""});
  meter_->ClearCommands();
  ModalWatcher watcher;
  dialog_->btn1->click();
  EXPECT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().text, "'+' is not a valid floating point value");
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Critical);
  EXPECT_TRUE(PanelCommands().empty());
  EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(ComparatorDialogTest, DcrModeNeitherReadsNorSendsTheSecondaryLimits) {
  StartConnected(ComparatorScript());
  panel_->SetBridgeMode(BridgeMode::Dcr);
  Open();
  EXPECT_EQ(PanelCommands(), ReadBackQueries(false));
  EXPECT_FALSE(dialog_->edt8->isEnabled());
  EXPECT_FALSE(dialog_->edt9->isEnabled());
  EXPECT_TRUE(dialog_->c14->isHidden());
  EXPECT_TRUE(dialog_->c15->isHidden());

  meter_->ClearCommands();
  dialog_->btn1->click();
  const std::vector<std::string> sent = PanelCommands();
  ASSERT_GE(sent.size(), 8u);
  EXPECT_EQ(sent[6], kRange + "3H 10");
  EXPECT_EQ(sent[7], "COMParator:STATe ON");
  for (const std::string& command : sent) EXPECT_EQ(command.find("2nd"), std::string::npos);
}

TEST_F(ComparatorDialogTest, KeyFilterTakesSignedDecimalsUpToTheTypingLimit) {
  StartConnected(ComparatorScript());
  Open();
  dialog_->edt2->clear();
  QTest::keyClicks(dialog_->edt2, "-1a2.x3456");
  EXPECT_EQ(dialog_->edt2->text(), "-12.34");  // six characters at most
  QTest::keyClick(dialog_->edt2, Qt::Key_Backspace);
  EXPECT_EQ(dialog_->edt2->text(), "-12.3");
  dialog_->edt1->clear();
  QTest::keyClicks(dialog_->edt1, "+123456789012e5");
  EXPECT_EQ(dialog_->edt1->text(), "+1234567890125");  // the nominal has no limit
  dialog_->edt8->clear();
  QTest::keyClicks(dialog_->edt8, "123456789012");
  EXPECT_EQ(dialog_->edt8->text(), "12345678901");
}

TEST_F(ComparatorDialogTest, ChineseCaptionsKeepTheSwitchPosition) {
  StartConnected(ComparatorScript());
  Context().State().uiLanguage = UiLanguage::Chinese;
  Open();
  EXPECT_EQ(dialog_->windowTitle(), "比较设置");
  EXPECT_EQ(dialog_->b1->text(), "标称值：");
  EXPECT_EQ(dialog_->btn1->text(), "设定");
  EXPECT_EQ(dialog_->c1->currentText(), "开");
  Context().State().uiLanguage = UiLanguage::English;
  dialog_->ApplyLanguage();
  EXPECT_EQ(dialog_->c1->currentText(), "ON");
  EXPECT_EQ(dialog_->e0->text(), "Bin");
}

}  // namespace
}  // namespace benchbridge::testing
