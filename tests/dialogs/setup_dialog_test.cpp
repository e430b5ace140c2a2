// The system settings dialog against the real main panel and a scripted meter on a real pty.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "dialog_harness.h"
#include "fit_label.h"
#include "uFrmSetup.h"

namespace benchbridge::testing {
namespace {

const std::vector<std::string> kOptionQueries{"SYSTem:BEEPer:STATe?", "SYSTem:SOUR?",
                                              "SYSTem:BEEPer:PASS?", "SYSTem:BEEPer:FAIL?",
                                              "SYSTem:STARt?"};

// The next widget that Tab can stop at (the disabled language chooser keeps its place).
QWidget* NextTabStop(QWidget* from) {
  for (QWidget* next = from->nextInFocusChain(); next != from; next = next->nextInFocusChain()) {
    if ((next->focusPolicy() & Qt::TabFocus) != 0) return next;
  }
  return nullptr;
}

class SetupDialogTest : public DialogHarness {
 protected:
  TFrmSetup& Open() {
    dialog_ = std::make_unique<TFrmSetup>(Context(), panel_.get());
    dialog_->show();
    return *dialog_;
  }
  void TearDown() override {
    dialog_.reset();
    DialogHarness::TearDown();
  }
  std::unique_ptr<TFrmSetup> dialog_;
};

TEST_F(SetupDialogTest, OpeningShowsTheIdentityAndSelectsWhatTheMeterAnswers) {
  StartConnected({{"SYSTem:BEEPer:STATe?", "ON"},
                  {"SYSTem:SOUR?", "MAN"},
                  {"SYSTem:BEEPer:PASS?", "SHO"},
                  {"SYSTem:BEEPer:FAIL?", "LON"},
                  {"SYSTem:STARt?", "LAST"}});
  TFrmSetup& dialog = Open();
  // Five queries and not a single setting command.
  EXPECT_EQ(PanelCommands(), kOptionQueries);
  EXPECT_EQ(dialog.windowTitle(), "SYSTEM SET");
  EXPECT_EQ(dialog.Ll1->text(), "LX2110");
  EXPECT_EQ(dialog.Ll2->text(), "SN0042");
  EXPECT_EQ(dialog.Ll3->text(), "V1.02");
  EXPECT_EQ(dialog.c3->currentText(), "ON");
  EXPECT_EQ(dialog.c4->currentText(), "MAN");
  EXPECT_EQ(dialog.c5->currentText(), "Short");
  EXPECT_EQ(dialog.c6->currentText(), "Long");
  EXPECT_EQ(dialog.c2->currentText(), "Last value");
  EXPECT_EQ(dialog.c1->currentText(), "English");
  EXPECT_FALSE(dialog.c1->isEnabled());
  EXPECT_FALSE(dialog.lb1->isEnabled());
  EXPECT_EQ(dialog.lb1->text(), "Language：");
  // Reading the trigger source leaves the panel's status label alone.
  EXPECT_EQ(panel_->bb1->text(), "");
  // The keyboard starts on Close and goes down the selectors.
  EXPECT_EQ(dialog.focusWidget(), dialog.btn2);
  EXPECT_EQ(NextTabStop(dialog.btn2), dialog.c1);
  EXPECT_EQ(NextTabStop(dialog.c1), dialog.c2);
  EXPECT_EQ(NextTabStop(dialog.c2), dialog.c3);
  EXPECT_EQ(NextTabStop(dialog.c5), dialog.c6);
}

TEST_F(SetupDialogTest, AnEmptyReplyEndsTheReading) {
  StartConnected({{"SYSTem:BEEPer:STATe?", "ON"},
                  {"SYSTem:SOUR?", ""},
                  {"SYSTem:BEEPer:PASS?", "SHO"},
                  {"SYSTem:BEEPer:FAIL?", "LON"},
                  {"SYSTem:STARt?", "LAST"}});
  TFrmSetup& dialog = Open();
  EXPECT_EQ(PanelCommands(), (std::vector<std::string>{"SYSTem:BEEPer:STATe?", "SYSTem:SOUR?"}));
  EXPECT_EQ(dialog.c3->currentIndex(), 1);
  for (QComboBox* list : {dialog.c4, dialog.c5, dialog.c6, dialog.c2}) {
    EXPECT_EQ(list->currentIndex(), 0) << list->objectName().toStdString();
  }
}

TEST_F(SetupDialogTest, RepliesThatNameNoItemChangeNothingButDoNotStopTheReading) {
  StartConnected({{"SYSTem:BEEPer:STATe?", "on"},
                  {"SYSTem:SOUR?", "cmd err"},
                  {"SYSTem:BEEPer:PASS?", "LON"},
                  {"SYSTem:BEEPer:FAIL?", "SHORT"},
                  {"SYSTem:STARt?", "DEFAULT"}});
  TFrmSetup& dialog = Open();
  EXPECT_EQ(PanelCommands(), kOptionQueries);
  EXPECT_EQ(dialog.c3->currentIndex(), 0);
  EXPECT_EQ(dialog.c4->currentIndex(), 0);
  EXPECT_EQ(dialog.c5->currentIndex(), 2);
  EXPECT_EQ(dialog.c6->currentIndex(), 0);
  EXPECT_EQ(dialog.c2->currentIndex(), 0);
}

TEST_F(SetupDialogTest, TriggerPicksSendAndWriteThePanelsStatus) {
  StartConnected();
  TFrmSetup& dialog = Open();
  meter_->ClearCommands();
  Pick(dialog.c4, 2);
  EXPECT_EQ(panel_->bb1->text(), "MAN");
  Pick(dialog.c4, 1);
  EXPECT_EQ(panel_->bb1->text(), "EXT");
  Pick(dialog.c4, 0);
  EXPECT_EQ(panel_->bb1->text(), "");
  Pick(dialog.c3, 1);
  Pick(dialog.c5, 2);
  EXPECT_EQ(PanelCommands(),
            (std::vector<std::string>{"SYSTem:SOUR MAN", "SYSTem:SOUR EXT", "SYSTem:SOUR INT",
                                      "SYSTem:BEEPer:STATe 1", "SYSTem:BEEPer:PASS LON"}));
}

TEST_F(SetupDialogTest, ChineseItemsSendTheSameCommands) {
  StartConnected();
  Context().State().uiLanguage = UiLanguage::Chinese;
  TFrmSetup& dialog = Open();
  EXPECT_EQ(dialog.windowTitle(), "系统设置");
  EXPECT_EQ(dialog.c3->itemText(0), "关");
  EXPECT_EQ(dialog.c5->itemText(0), "关闭");
  meter_->ClearCommands();
  Pick(dialog.c6, 1);
  Pick(dialog.c2, 1);
  Pick(dialog.c4, 2);
  EXPECT_EQ(dialog.c6->currentText(), "短音");
  EXPECT_EQ(PanelCommands(), (std::vector<std::string>{"SYSTem:BEEPer:FAIL SHO", "SYSTem:STARt 1",
                                                       "SYSTem:SOUR MAN"}));
  EXPECT_EQ(panel_->bb1->text(), "手动");
}

TEST_F(SetupDialogTest, LanguageChooserRecaptionsBothWindowsAndRemembersTheChoice) {
  StartConnected({{"SYSTem:BEEPer:STATe?", "OFF"}, {"SYSTem:SOUR?", "EXT"}});
  TFrmSetup& dialog = Open();
  ASSERT_EQ(dialog.c4->currentIndex(), 1);
  meter_->ClearCommands();
  dialog.c1->setCurrentIndex(0);
  dialog.c1Change();
  EXPECT_EQ(Context().State().uiLanguage, UiLanguage::Chinese);
  EXPECT_EQ(dialog.windowTitle(), "系统设置");
  EXPECT_EQ(dialog.c4->currentText(), "外部");  // the position survives the new items
  EXPECT_EQ(panel_->rbtnQ->text(), "关闭");
  EXPECT_NE(ReadSetIni().find("lang=0"), std::string::npos);
  EXPECT_TRUE(PanelCommands().empty());
}

}  // namespace
}  // namespace benchbridge::testing
