// The list sweep dialog against the real main panel and a scripted meter on a real pty.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog_harness.h"
#include "fit_label.h"
#include "uFrmList.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

std::string Point(int k) { return "LIST:PARAmeter " + std::to_string(k) + "?"; }

class ListDialogTest : public DialogHarness {
 protected:
  // Opens the dialog for the given measurement function (as CB1 shows it).
  TFrmList& Open(const QString& function) {
    panel_->CB1->setText(function);
    dialog_ = std::make_unique<TFrmList>(Context(), panel_.get());
    dialog_->show();
    return *dialog_;
  }
  void TearDown() override {
    dialog_.reset();
    DialogHarness::TearDown();
  }
  // Types a row as the operator would leave it.
  void FillRow(int row, const char* frequency, const char* low, const QString& lowUnit,
               const char* high, const QString& highUnit) {
    dialog_->Box(row, TFrmList::kFrequencyBox)->setText(frequency);
    dialog_->Box(row, TFrmList::kLowBox)->setText(low);
    dialog_->UnitList(row, TFrmList::kLowUnit)->setCurrentText(lowUnit);
    dialog_->Box(row, TFrmList::kHighBox)->setText(high);
    dialog_->UnitList(row, TFrmList::kHighUnit)->setCurrentText(highUnit);
  }
  QString Text(int row, int column) { return dialog_->Box(row, column)->text(); }
  QString Unit(int row, int column) { return dialog_->UnitList(row, column)->currentText(); }
  std::vector<QPushButton*> AllButtons() {
    std::vector<QPushButton*> buttons;
    for (int row = 1; row <= 7; ++row) buttons.push_back(dialog_->RowButton(row));
    buttons.insert(buttons.end(), {dialog_->btnn1, dialog_->btnn2, dialog_->btnn3});
    return buttons;
  }

  std::unique_ptr<TFrmList> dialog_;
};

TEST_F(ListDialogTest, ShowingReadsModeAndEveryPointInTheFunctionsUnits) {
  StartConnected({{"LIST:MODE?", "STEP"},
                  {Point(0), "0,1000,4.7e-6,100,1.2nF,PASS"},
                  {Point(1), "1,,2000,,1e3,1.5e-3"}});
  TFrmList& dialog = Open("Cs-D");
  std::vector<std::string> expected{"LIST:MODE?"};
  for (int k = 0; k < 7; ++k) expected.push_back(Point(k));
  EXPECT_EQ(PanelCommands(), expected);

  EXPECT_EQ(dialog.edt1->text(), "Cs-D");
  EXPECT_EQ(dialog.BaseUnit(), "F");
  EXPECT_EQ(dialog.c2->currentIndex(), 1);
  EXPECT_EQ(Text(1, TFrmList::kFrequencyBox), "1000");
  EXPECT_EQ(Text(1, TFrmList::kLowBox), "4.7");
  EXPECT_EQ(Unit(1, TFrmList::kLowUnit), "μF");
  EXPECT_EQ(Text(1, TFrmList::kHighBox), "100");
  EXPECT_EQ(Unit(1, TFrmList::kHighUnit), "F");
  // Measurements are the refresh's business, not the read-back's.
  EXPECT_TRUE(Text(1, TFrmList::kTestBox).isEmpty());
  // Empty pieces between commas do not count as fields.
  EXPECT_EQ(Text(2, TFrmList::kFrequencyBox), "2000");
  EXPECT_EQ(Text(2, TFrmList::kLowBox), "1");
  EXPECT_EQ(Unit(2, TFrmList::kLowUnit), "kF");
  EXPECT_EQ(Text(2, TFrmList::kHighBox), "1.5");
  EXPECT_EQ(Unit(2, TFrmList::kHighUnit), "mF");
  // An empty reply leaves the row empty, on the base unit.
  EXPECT_TRUE(Text(3, TFrmList::kFrequencyBox).isEmpty());
  EXPECT_TRUE(Text(3, TFrmList::kLowBox).isEmpty());
  EXPECT_EQ(Unit(3, TFrmList::kLowUnit), "F");
  for (int row = 1; row <= 7; ++row) {
    for (int column : {TFrmList::kLowUnit, TFrmList::kHighUnit}) {
      EXPECT_EQ(dialog.UnitList(row, column)->count(), 7);
    }
  }
  EXPECT_TRUE(dialog.tmr1->isActive());
  EXPECT_EQ(dialog.tmr1->interval(), 1000);
}

TEST_F(ListDialogTest, OhmFamilyAndModeRepliesThatAreNotQuiteRight) {
  StartConnected({{"LIST:MODE?", "SEQUENCE"}, {Point(6), "6,500,4.7e-6,100"}});
  TFrmList& dialog = Open("Rs-Q");
  EXPECT_EQ(dialog.BaseUnit(), "Ω");
  EXPECT_EQ(dialog.UnitList(7, TFrmList::kLowUnit)->itemText(0), "MΩ");
  EXPECT_EQ(Text(7, TFrmList::kLowBox), "4.7");
  EXPECT_EQ(Unit(7, TFrmList::kLowUnit), "μΩ");
  EXPECT_EQ(Unit(7, TFrmList::kHighUnit), "Ω");
  EXPECT_EQ(dialog.c2->currentIndex(), 0);
  dialog_.reset();

  meter_->Reply("LIST:MODE?", "step");
  Open("Ls-Q");
  EXPECT_EQ(dialog_->c2->currentIndex(), 0);
  EXPECT_EQ(dialog_->BaseUnit(), "H");
  dialog_.reset();

  // Without an answer to the mode query no point is read.
  meter_->Reply("LIST:MODE?", "");
  meter_->ClearCommands();
  Open("Z-θ");
  EXPECT_EQ(PanelCommands(), std::vector<std::string>{"LIST:MODE?"});
}

TEST_F(ListDialogTest, RowSetWritesThePointAndShowsWhatTheMeterTook) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Rs-Q");
  FillRow(1, "1000", "10", "kΩ", "20", "Ω");
  FillRow(3, "1000", "10", "kΩ", "", "MΩ");
  meter_->Reply(Point(0), "0,1000,10e3,20e0");
  meter_->ClearCommands();

  dialog_->RowButton(1)->click();
  dialog_->RowButton(3)->click();
  EXPECT_EQ(PanelCommands(), (std::vector<std::string>{"LIST:PARAmeter 0,1000,10k,20", Point(0),
                                                       "LIST:PARAmeter 2,1000,10k,--", Point(2)}));
  EXPECT_EQ(Text(1, TFrmList::kLowBox), "10");
  EXPECT_EQ(Unit(1, TFrmList::kLowUnit), "kΩ");
  EXPECT_EQ(Unit(1, TFrmList::kHighUnit), "Ω");
  // Row 3's read-back got an empty reply: the row shows nothing, as the meter holds nothing.
  EXPECT_TRUE(Text(3, TFrmList::kFrequencyBox).isEmpty());
  for (QPushButton* button : AllButtons()) EXPECT_TRUE(button->isEnabled());
}

TEST_F(ListDialogTest, MicroIsWrittenAsTheWholeCharacter) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Cp-D");
  FillRow(7, " 100 ", "4.7", "μF", "5", "F");
  const std::size_t wireBefore = WireBytes().size();
  meter_->ClearCommands();
  dialog_->RowButton(7)->click();
  ASSERT_FALSE(PanelCommands().empty());
  EXPECT_EQ(PanelCommands().front(), "LIST:PARAmeter 6,100,4.7μ,5");
  EXPECT_NE(WireBytes().substr(wireBefore).find("LIST:PARAmeter 6,100,4.7\xA6\xCC,5\n"),
            std::string::npos);
}

TEST_F(ListDialogTest, SetAllWritesEveryPointEachFollowedByItsReadBack) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Ls-Q");
  FillRow(2, "2000", "1", "mH", "2", "H");
  meter_->ClearCommands();
  dialog_->btnn2->click();
  std::vector<std::string> expected;
  for (int k = 0; k < 7; ++k) {
    expected.push_back(k == 1 ? "LIST:PARAmeter 1,2000,1m,2"
                              : "LIST:PARAmeter " + std::to_string(k) + ",--,--,--");
    expected.push_back(Point(k));
  }
  EXPECT_EQ(PanelCommands(), expected);
}

TEST_F(ListDialogTest, AllTenButtonsAreOffWhileAPointIsWritten) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Rs-Q");
  FillRow(4, "1000", "1", "Ω", "2", "Ω");
  meter_->ClearCommands();
  std::vector<bool> enabledDuringWrite;
  std::size_t commandsThen = 99;
  // Runs inside the write, when the buttons have been switched off and events processed.
  QTimer::singleShot(0, dialog_.get(), [&] {
    for (QPushButton* button : AllButtons()) enabledDuringWrite.push_back(button->isEnabled());
    commandsThen = PanelCommands().size();
  });
  dialog_->RowButton(4)->click();
  EXPECT_EQ(enabledDuringWrite, std::vector<bool>(10, false));
  EXPECT_EQ(commandsThen, 0u);
  EXPECT_EQ(PanelCommands().size(), 2u);
  for (QPushButton* button : AllButtons()) EXPECT_TRUE(button->isEnabled());
}

TEST_F(ListDialogTest, RefreshAsksOnlyRowsWithAFrequencyAndShowsTheirResults) {
  StartConnected({{"LIST:MODE?", "SEQuence"},
                  {Point(1), "1,2000,1e3,2e3,1.23kΩ,PASS"},
                  {Point(4), "4,3000,1,2,9.9Ω,FAIL"}});
  TFrmList& dialog = Open("Rs-Q");
  dialog.tmr1->stop();
  for (int row = 1; row <= 7; ++row) dialog.Box(row, TFrmList::kFrequencyBox)->clear();
  dialog.Box(2, TFrmList::kFrequencyBox)->setText("2000");
  dialog.Box(3, TFrmList::kFrequencyBox)->setText("  ");
  dialog.Box(5, TFrmList::kFrequencyBox)->setText("3000");
  dialog.Box(2, TFrmList::kLowBox)->setText("typed");
  meter_->ClearCommands();

  dialog.tmr1Timer();
  EXPECT_EQ(PanelCommands(), (std::vector<std::string>{Point(1), Point(4)}));
  EXPECT_EQ(Text(2, TFrmList::kTestBox), "1.23kΩ");
  EXPECT_EQ(Text(2, TFrmList::kCompareBox), "PASS");
  EXPECT_EQ(Text(5, TFrmList::kTestBox), "9.9Ω");
  EXPECT_EQ(Text(5, TFrmList::kCompareBox), "FAIL");
  EXPECT_EQ(Text(2, TFrmList::kLowBox), "typed");  // a pass touches no setting
  EXPECT_TRUE(dialog.tmr1->isActive());

  // A reply too short for the measurement fields leaves the boxes empty.
  meter_->Reply(Point(1), "1,2000");
  dialog.tmr1->stop();
  dialog.tmr1Timer();
  EXPECT_TRUE(Text(2, TFrmList::kTestBox).isEmpty());
  EXPECT_TRUE(Text(2, TFrmList::kCompareBox).isEmpty());

  // The timer keeps the passes coming by itself, a row with a new frequency included.
  dialog.Box(7, TFrmList::kFrequencyBox)->setText("100");
  meter_->ClearCommands();
  EXPECT_TRUE(WaitUntil([&] { return meter_->CountOf(Point(6)) > 0; }, 5s));
}

TEST_F(ListDialogTest, ClosingOrDestroyingTheDialogDuringAPassEndsThePass) {
  StartConnected({{"LIST:MODE?", "SEQuence"}, {Point(0), "0,1000,1,2,1Ω,PASS"}});
  Open("Rs-Q");
  dialog_->tmr1->stop();
  for (int row = 1; row <= 7; ++row) dialog_->Box(row, TFrmList::kFrequencyBox)->setText("1000");
  meter_->ClearCommands();
  // Processed after the first row of the pass, as the operator's close would be.
  QTimer::singleShot(0, dialog_.get(), &QDialog::reject);
  dialog_->tmr1Timer();
  EXPECT_EQ(PanelCommands(), std::vector<std::string>{Point(0)});
  EXPECT_FALSE(dialog_->isVisible());

  dialog_->show();
  dialog_->tmr1->stop();
  for (int row = 1; row <= 7; ++row) dialog_->Box(row, TFrmList::kFrequencyBox)->setText("1000");
  meter_->ClearCommands();
  TFrmList* doomed = dialog_.release();
  QTimer::singleShot(0, [doomed] { delete doomed; });
  doomed->tmr1Timer();  // must not touch the dialog once it is gone
  EXPECT_EQ(PanelCommands(), std::vector<std::string>{Point(0)});
}

TEST_F(ListDialogTest, TriggerAndModePicks) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Rs-Q");
  meter_->ClearCommands();
  dialog_->btnn1->click();
  Pick(dialog_->c2, 1);
  Pick(dialog_->c2, 0);
  EXPECT_EQ(PanelCommands(),
            (std::vector<std::string>{"*TRG", "LIST:MODE STEP", "LIST:MODE SEQUENCE"}));
  EXPECT_TRUE(dialog_->btnn1->isEnabled());
}

TEST_F(ListDialogTest, ChineseCaptionsAndTheirModeItems) {
  StartConnected({{"LIST:MODE?", "STEP"}});
  Context().State().uiLanguage = UiLanguage::Chinese;
  Open("Rs-Q");
  EXPECT_EQ(dialog_->windowTitle(), "列表设置");
  EXPECT_EQ(dialog_->btnn2->text(), "设定全部");
  EXPECT_EQ(dialog_->RowButton(5)->text(), "设定");
  EXPECT_EQ(dialog_->c2->currentText(), "步进");
  meter_->ClearCommands();
  Pick(dialog_->c2, 0);
  EXPECT_EQ(PanelCommands(), std::vector<std::string>{"LIST:MODE SEQUENCE"});
}

TEST_F(ListDialogTest, KeyFiltersOfFrequencyAndLimitBoxes) {
  StartConnected({{"LIST:MODE?", "SEQuence"}});
  Open("Rs-Q");
  QLineEdit* frequency = dialog_->Box(1, TFrmList::kFrequencyBox);
  frequency->clear();
  QTest::keyClicks(frequency, "1.2-a345678");
  EXPECT_EQ(frequency->text(), "123456");
  QLineEdit* low = dialog_->Box(1, TFrmList::kLowBox);
  low->clear();
  QTest::keyClicks(low, "-1.5e+2");
  EXPECT_EQ(low->text(), "-1.5+2");
}

}  // namespace
}  // namespace benchbridge::testing
