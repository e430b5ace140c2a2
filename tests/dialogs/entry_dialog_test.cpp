// The value-entry dialogs on a connected LX3102 (level and frequency as free values): the range
// check, the key filter, what goes to the meter, and the labels after a double-click.

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "fit_label.h"
#include "key_harness.h"
#include "modal_watcher.h"
#include "uFrmSet22.h"
#include "uFrmSet33.h"
#include "uFrmSet44.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

class EntryDialogTest : public KeyHarness {
 protected:
  void SetUp() override {
    ConnectWith({{"*IDN?", "LX,LX3102,V1.02,2026,SN0042"}, {"*LX?", "3102"}});
  }

  template <typename Dialog>
  std::unique_ptr<Dialog> Open() {
    auto dialog = std::make_unique<Dialog>(panel_->Context(), panel_.get());
    dialog->show();
    return dialog;
  }

  // Puts text into the box and presses OK; true when the dialog closed with OK.
  static bool Confirm(TFrmSetValue& dialog, const QString& text) {
    dialog.edt1->setText(text);
    dialog.rbtn9->click();
    return dialog.result() == QDialog::Accepted && !dialog.isVisible();
  }

  // Each value in a fresh dialog: the accepted ones send command + value, the others are
  // refused with the range message and send nothing.
  template <typename Dialog>
  void ExpectRange(const std::string& command, std::initializer_list<const char*> accepted,
                   std::initializer_list<const char*> refused) {
    for (const char* value : refused) {
      SCOPED_TRACE(value);
      auto dialog = Open<Dialog>();
      EXPECT_FALSE(Confirm(*dialog, value));
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_EQ(dialog->lbl2->text(), "Wrong parameter range！");
    }
    EXPECT_TRUE(PanelCommands().empty());
    Commands expected;
    for (const char* value : accepted) {
      SCOPED_TRACE(value);
      EXPECT_TRUE(Confirm(*Open<Dialog>(), value));
      expected.push_back(command + value);
    }
    EXPECT_EQ(PanelCommands(), expected);
  }
};

TEST_F(EntryDialogTest, LevelBiasAndFrequencyAcceptTheirRangesBothBoundsIncluded) {
  ExpectRange<TFrmSet22>("VOLTage:LEVel ", {"100", "2000"}, {"99", "2001"});
  meter_->ClearCommands();
  ExpectRange<TFrmSet33>("BIAS:VOLTage:LEVel ", {"0", "1500"}, {"1501"});
  meter_->ClearCommands();
  ExpectRange<TFrmSet44>("FREQuency:CW ", {"10", "20000"}, {"9", "20001", "100000"});
}

TEST_F(EntryDialogTest, TheFrequencyRangeIsTheModels) {
  EXPECT_EQ(TFrmSet44::FrequencyRange("LX3101")->highest, 10000);
  EXPECT_EQ(TFrmSet44::FrequencyRange("LX3110")->highest, 100000);
  EXPECT_EQ(TFrmSet44::FrequencyRange("LX3110")->lowest, 10);

  // A model without free frequencies: the design's range line, and only 0 passes.
  panel_->Context().State().modelName = "LX2110";
  auto dialog = Open<TFrmSet44>();
  EXPECT_EQ(dialog->Lowest(), 0);
  EXPECT_EQ(dialog->Highest(), 0);
  EXPECT_EQ(dialog->lbl1->text(), "输入范围:0-100k");
  EXPECT_FALSE(Confirm(*dialog, "10"));
  EXPECT_TRUE(Confirm(*dialog, "0"));
  EXPECT_EQ(PanelCommands(), (Commands{"FREQuency:CW 0"}));
}

TEST_F(EntryDialogTest, TheValueGoesOutAsTyped) {
  EXPECT_TRUE(Confirm(*Open<TFrmSet22>(), "0600"));
  EXPECT_TRUE(Confirm(*Open<TFrmSet33>(), " 750 "));
  EXPECT_EQ(PanelCommands(), (Commands{"VOLTage:LEVel 0600", "BIAS:VOLTage:LEVel 750"}));
}

TEST_F(EntryDialogTest, ATextThatIsNoWholeNumberIsReportedAndNothingSent) {
  ModalWatcher watcher;
  auto dialog = Open<TFrmSet22>();
  for (const char* text : {"12.5", "", "99999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(Confirm(*dialog, text));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(watcher.Last().icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.Last().text, QStringLiteral("'%1' is not a valid integer value").arg(text));
  }
  EXPECT_EQ(watcher.Count(), 3);
  EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(EntryDialogTest, TheKeyFilterTakesDigitsAndForLevelAndBiasThePoint) {
  auto level = Open<TFrmSet22>();
  QTest::keyClicks(level->edt1, "1a2.");
  EXPECT_EQ(level->edt1->text(), "12.");
  level->lbl2->setText("Wrong parameter range！");
  QTest::keyClick(level->edt1, Qt::Key_A);
  EXPECT_EQ(level->edt1->text(), "12.");
  EXPECT_EQ(level->lbl2->text(), "");  // every key press empties the error line
  QTest::keyClicks(level->edt1, "34");
  EXPECT_EQ(level->edt1->text(), "12.3");  // four characters at most
  QTest::keyClick(level->edt1, Qt::Key_Backspace);
  EXPECT_EQ(level->edt1->text(), "12.");

  auto frequency = Open<TFrmSet44>();
  QTest::keyClicks(frequency->edt1, "1.2-3+4567");
  EXPECT_EQ(frequency->edt1->text(), "123456");  // no point, six characters at most
}

TEST_F(EntryDialogTest, LayoutAndTextsInBothLanguages) {
  auto dialog = Open<TFrmSet44>();
  EXPECT_EQ(dialog->objectName(), "FrmSet44");
  EXPECT_EQ(dialog->size(), QSize(273, 75));
  EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(dialog->edt1->geometry(), QRect(10, 9, 127, 27));
  EXPECT_EQ(dialog->rbtn9->geometry(), QRect(183, 6, 84, 32));
  EXPECT_EQ(dialog->rbtn1->geometry(), QRect(183, 36, 84, 32));
  EXPECT_EQ(dialog->lblCB1->text(), "HZ");
  EXPECT_EQ(dialog->lbl1->text(), "Input range:(10-20000)");
  EXPECT_EQ(dialog->rbtn9->text(), "OK");
  EXPECT_EQ(dialog->rbtn1->text(), "Cancel");
  EXPECT_EQ(dialog->lbl2->text(), "");
  for (const QPushButton* button : {dialog->rbtn9, dialog->rbtn1}) {
    EXPECT_FALSE(button->isDefault() || button->autoDefault());
  }

  panel_->Context().State().uiLanguage = UiLanguage::Chinese;
  auto chinese = Open<TFrmSet22>();
  EXPECT_EQ(chinese->lblCB1->text(), "mV");
  EXPECT_EQ(chinese->lbl1->text(), "输入范围:(100-2000)");
  EXPECT_EQ(chinese->rbtn9->text(), "确定");
  EXPECT_EQ(chinese->rbtn1->text(), "取消");
  EXPECT_FALSE(Confirm(*chinese, "50"));
  EXPECT_EQ(chinese->lbl2->text(), "参数范围有误！");
}

// --- Through the free-value labels of the main panel ---

class FreeValueTest : public EntryDialogTest {
 protected:
  // Double-clicks label; act gets the entry dialog while it is shown modally.
  void DoubleClick(FitLabel* label, const std::function<void(TFrmSetValue&)>& act) {
    seen_ = false;
    ModalWatcher watcher([&](QWidget* modal) {
      seen_ = true;
      auto* dialog = qobject_cast<TFrmSetValue*>(modal);
      ASSERT_NE(dialog, nullptr);
      openedWith_ = dialog->edt1->text();
      openedAt_ = dialog->pos();
      act(*dialog);
      if (dialog->isVisible()) dialog->rbtn1->click();
    });
    QTest::mouseDClick(label, Qt::LeftButton);
    ASSERT_TRUE(seen_);
  }

  bool seen_ = false;
  QString openedWith_;
  QPoint openedAt_;
};

TEST_F(FreeValueTest, OkSetsTheLevelAndTheLabelFollows) {
  ASSERT_TRUE(panel_->bb22->isVisible());
  ASSERT_EQ(panel_->bb22->text(), "600mV");
  QCursor::setPos(500, 300);
  DoubleClick(panel_->bb22, [](TFrmSetValue& dialog) { Confirm(dialog, "750"); });

  EXPECT_EQ(openedWith_, "600");
  EXPECT_EQ(openedAt_, QPoint(380, 320));
  EXPECT_EQ(PanelCommands(), (Commands{"VOLTage:LEVel 750"}));
  EXPECT_EQ(panel_->bb22->text(), "750mV");
  EXPECT_TRUE(panel_->findChildren<QDialog*>().isEmpty());  // destroyed once closed
}

TEST_F(FreeValueTest, TheFrequencyLabelTakesHzAndCancelKeepsIt) {
  ASSERT_EQ(panel_->bb44->text(), "1000Hz");
  DoubleClick(panel_->bb44, [](TFrmSetValue& dialog) { Confirm(dialog, "2000"); });
  EXPECT_EQ(panel_->bb44->text(), "2000HZ");

  DoubleClick(panel_->bb44, [](TFrmSetValue& dialog) {
    dialog.edt1->setText("3000");
    dialog.rbtn1->click();
  });
  EXPECT_EQ(openedWith_, "2000");
  EXPECT_EQ(panel_->bb44->text(), "2000HZ");
  EXPECT_EQ(PanelCommands(), (Commands{"FREQuency:CW 2000"}));
}

// Shown modally, the dialog has the keyboard: focus on OK first, then the box, then Cancel, and
// neither Enter nor Escape closes it.
TEST_F(FreeValueTest, TheKeyboardGoesOkBoxCancelAndClosesNothing) {
  std::vector<QString> focus;
  auto focused = [] {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  };
  bool openAfterKeys = false;
  DoubleClick(panel_->bb33, [&](TFrmSetValue& dialog) {
    // The window system activates the new dialog on its own time; the focus is only its own
    // from then on.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isAncestorOf(QApplication::focusWidget()); }));
    focus.push_back(focused());
    for (int tab = 0; tab < 2; ++tab) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      focus.push_back(focused());
    }
    QTest::keyClick(dialog.rbtn1, Qt::Key_Backtab);
    QTest::keyClicks(dialog.edt1, "5");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(QApplication::focusWidget(), key);
    }
    openAfterKeys = dialog.isVisible();
  });
  ASSERT_EQ(focus.size(), 3u);
  EXPECT_EQ(focus, (std::vector<QString>{"rbtn9", "edt1", "rbtn1"}));
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(openedWith_, "0");  // bb33 read "0mV"
  EXPECT_EQ(panel_->bb33->text(), "0mV");
  EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(FreeValueTest, AfterADisconnectionConfirmingTellsThatNoMeterIsThere) {
  PressConnectKey();
  ASSERT_EQ(panel_->Poller(), nullptr);
  meter_->ClearCommands();
  ASSERT_TRUE(panel_->bb33->isVisible());
  const QString before = panel_->bb33->text();

  ModalSeen notice;
  bool stayedOpen = false;
  DoubleClick(panel_->bb33, [&](TFrmSetValue& dialog) {
    ModalWatcher inner;  // the notice opens inside this step
    Confirm(dialog, "100");
    notice = inner.Last();
    stayedOpen = dialog.isVisible();
  });

  EXPECT_EQ(notice.text, "No instrument is connected; the value was not sent.");
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(panel_->bb33->text(), before);
  EXPECT_TRUE(meter_->Commands().empty());
}

// An LX2110 in DC resistance shows its frequency as "0Hz". Its frequency dialog would have no
// range at all (only 0 would pass): it does not open and nothing is sent. The bias dialog, whose
// range starts at 0, still opens.
using EmptyRangeTest = KeyHarness;

TEST_F(EmptyRangeTest, AnEntryWithoutRangeDoesNotOpen) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "DCR"}});
  ASSERT_TRUE(panel_->bb44->isVisible());
  ASSERT_EQ(panel_->bb44->text(), "0Hz");
  ModalWatcher watcher;
  QTest::mouseDClick(panel_->bb44, Qt::LeftButton);
  EXPECT_EQ(watcher.Count(), 0);
  QTest::mouseDClick(panel_->bb33, Qt::LeftButton);
  EXPECT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().objectName, "FrmSet33");
  EXPECT_TRUE(PanelCommands().empty());
  EXPECT_EQ(panel_->bb44->text(), "0Hz");
}

}  // namespace
}  // namespace benchbridge::testing
