// Start-up, the frame and the port choice of the real main window, in temporary home folders.

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "fit_label.h"
#include "modal_watcher.h"
#include "panel_harness.h"
#include "panel_look.h"
#include "port_combo_box.h"
#include "settings_file.h"

namespace benchbridge::testing {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public PanelHarness {
 protected:
  // A port link whose target exists is listed, whatever it is.
  void LinkPort(int number) {
    fs::create_directories(home_.Path() / "ports");
    fs::create_symlink("/dev/null", home_.Path() / "ports" / ("com" + std::to_string(number)));
  }
  QStringList Ports() const {
    QStringList items;
    for (int i = 0; i < panel_->c1->count(); ++i) items << panel_->c1->itemText(i);
    return items;
  }
};

TEST_F(StartUpTest, StartsUnconnectedInEnglishWhateverSetIniSays) {
  WriteSetIni("[Param Info]\r\ncomid=77\r\nlang=0\r\n");
  TFrmMain& panel = StartPanel();

  for (QPushButton* button : panel.Buttons()) {
    const bool usable = button == panel.rbtn1 || button == panel.rbtnQ;
    EXPECT_EQ(button->isEnabled(), usable) << button->objectName().toStdString();
  }
  for (QComboBox* selector : panel.Selectors()) {
    EXPECT_FALSE(selector->isEnabled()) << selector->objectName().toStdString();
  }
  EXPECT_TRUE(panel.c1->isEnabled());

  EXPECT_EQ(panel.Context().State().uiLanguage, UiLanguage::English);
  EXPECT_EQ(panel.rbtnQ->text(), "Close");
  EXPECT_EQ(panel.rbtn1->text(), "Connecting device");
  EXPECT_EQ(panel.rbtn9->text(), "COMPARE");
  EXPECT_EQ(panel.LLs888->text(), "LCR");
  EXPECT_EQ(panel.bb5->text(), "LOCAL");
  const QStringList rows{
      "FUNC:", "LEVEL:", "BIAS:", "FREQ:", "RANGE:", "COMP:", "ROUT:", "SPEED:", "LIST:"};
  const FitLabel* captions[] = {panel.lbl1, panel.lbl2, panel.lbl3, panel.lbl4, panel.lbl5,
                                panel.lbl6, panel.lbl7, panel.lbl8, panel.lbl9};
  for (int i = 0; i < rows.size(); ++i) EXPECT_EQ(captions[i]->text(), rows[i]);
  EXPECT_EQ(panel.cb5->itemText(1), "LOCK");
  EXPECT_EQ(panel.cb8->itemText(1), "MED");
  EXPECT_EQ(panel.cb6->currentText(), "OFF");
  EXPECT_EQ(panel.windowTitle(), "台式电桥");

  // The design's stand-in texts are gone; what the meter will tell is empty until it does.
  for (const FitLabel* label : panel.ReadingLabels()) EXPECT_TRUE(label->text().isEmpty());
  EXPECT_TRUE(panel.LLs999->text().isEmpty());
  EXPECT_TRUE(panel.CB1->text().isEmpty());
  EXPECT_TRUE(panel.bb33->text().isEmpty());
  EXPECT_EQ(panel.cb2->count(), 0);
  EXPECT_EQ(panel.cb4->count(), 0);
  for (const FitLabel* hidden : {panel.LLs999, panel.bb22, panel.bb33, panel.bb44, panel.lls7}) {
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  }
  // The stored port is not listed, so nothing is selected; Set.ini is not rewritten at start.
  EXPECT_EQ(panel.c1->currentIndex(), -1);
  EXPECT_EQ(ReadSetIni(), "[Param Info]\r\ncomid=77\r\nlang=0\r\n");
}

TEST_F(StartUpTest, TheStoredPortIsSelectedIgnoringCase) {
  LinkPort(12);
  LinkPort(3);
  WriteSetIni("[Param Info]\ncomid=12\n");
  TFrmMain& panel = StartPanel();
  EXPECT_EQ(Ports().indexOf("COM3") + 1, Ports().indexOf("COM12"));  // by number
  EXPECT_EQ(panel.c1->currentText(), "COM12");
  EXPECT_EQ(panel.Context().State().portNumber, 12);
}

TEST_F(StartUpTest, ConnectWithoutAPortAsksForOneAndChangesNothing) {
  WriteSetIni("[Param Info]\ncomid=77\n");
  TFrmMain& panel = StartPanel();
  ModalWatcher watcher;
  PressConnectKey();

  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().title, "Message");
  EXPECT_EQ(watcher.Last().text, "Please select serial port first！");
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Warning);
  for (QPushButton* button : panel.Buttons()) {
    EXPECT_EQ(button->isEnabled(), button == panel.rbtn1 || button == panel.rbtnQ);
  }
  EXPECT_EQ(panel.rbtn1->text(), "Connecting device");
  EXPECT_FALSE(panel.Context().Connected());
  EXPECT_EQ(panel.Poller(), nullptr);
}

TEST_F(StartUpTest, PickingAPortSavesItAtOnce) {
  LinkPort(3);
  LinkPort(12);
  WriteSetIni("[Other]\nkeep=1\n[Param Info]\ncomid=3\nlang=0\n");
  TFrmMain& panel = StartPanel();
  const int index = panel.c1->findText("COM12");
  panel.c1->setCurrentIndex(index);
  emit panel.c1->activated(index);

  EXPECT_EQ(panel.Context().State().portNumber, 12);
  EXPECT_EQ(ReadSettingsFile(home_.Path() / "Set.ini"), (SettingsValues{12, UiLanguage::English}));
  const std::string text = ReadSetIni();
  EXPECT_NE(text.find("defa=0"), std::string::npos) << text;
  EXPECT_NE(text.find("keep=1"), std::string::npos) << text;
}

TEST_F(StartUpTest, APortNameWithoutANumberIsRefused) {
  LinkPort(3);
  WriteSetIni("[Param Info]\ncomid=3\n");
  TFrmMain& panel = StartPanel();
  panel.c1->addItem("COMX");
  const int bad = panel.c1->count() - 1;
  panel.c1->setCurrentIndex(bad);
  ModalWatcher watcher;
  emit panel.c1->activated(bad);

  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Critical);
  EXPECT_TRUE(watcher.Last().text.contains("COMX"));
  EXPECT_EQ(panel.Context().State().portNumber, 3);
  EXPECT_EQ(panel.c1->currentText(), "COM3");
  EXPECT_EQ(ReadSetIni(), "[Param Info]\ncomid=3\n");
}

TEST_F(StartUpTest, ThePortListIsReadAgainWhenItDropsDown) {
  TFrmMain& panel = StartPanel();
  EXPECT_FALSE(Ports().contains("COM5"));
  StartMeter();  // links ports/com5
  panel.c1->showPopup();
  panel.c1->hidePopup();
  EXPECT_TRUE(Ports().contains("COM5"));
  EXPECT_EQ(panel.c1->itemData(Ports().indexOf("COM5"), Qt::ToolTipRole).toString(),
            QString::fromStdString(fs::read_symlink(meter_->LinkPath()).string()));
}

TEST_F(StartUpTest, ControlsSitWhereTheDesignPutsThem) {
  TFrmMain& panel = StartPanel();
  EXPECT_EQ(panel.size(), QSize(979, 359));
  EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(panel.Panel1->geometry(), QRect(5, 6, 611, 349));
  EXPECT_EQ(panel.LLs2->geometry(), QRect(163, 166, 247, 70));
  EXPECT_EQ(panel.LLs2->parentWidget(), panel.Panel1);
  EXPECT_EQ(panel.LLs2->font().pixelSize(), 70);
  EXPECT_EQ(panel.LLs2->alignment(), Qt::AlignRight | Qt::AlignBottom);
  EXPECT_EQ(TextColour(panel.LLs2), QColor(Qt::yellow));
  EXPECT_EQ(TextColour(panel.LLs5), QColor(Qt::cyan));
  EXPECT_EQ(panel.cb4->geometry(), QRect(71, 83, 138, 35));
  EXPECT_EQ(panel.bb5->geometry(), QRect(490, 318, 120, 30));
  EXPECT_EQ(panel.bb22->font().pixelSize(), 23);
  EXPECT_EQ(panel.c1->geometry(), QRect(620, 9, 119, 35));
  EXPECT_EQ(panel.c1->font().pixelSize(), 20);
  EXPECT_EQ(panel.rbtn1->geometry(), QRect(738, 6, 237, 38));
  EXPECT_EQ(panel.rbtn8->geometry(), QRect(620, 198, 119, 38));
  EXPECT_EQ(panel.rbtnQ->geometry(), QRect(620, 312, 357, 44));
  EXPECT_EQ(panel.LLs888->palette().color(QPalette::Window), QColor(Qt::magenta));
  // The model badge keeps its right edge where the design put it (500 plus its caption).
  const int right = panel.LLs999->geometry().right();
  panel.LLs999->setText("LX2110");
  EXPECT_EQ(panel.LLs999->geometry().right(), right);
  EXPECT_GT(panel.LLs999->width(), 0);

  for (const char* name :
       {"Panel1", "shp2",   "LLs888", "LLs999", "lbl1",   "CB1",   "lbl2",   "cb2",    "bb22",
        "lbl3",   "bb33",   "lbl4",   "cb4",    "bb44",   "lbl5",  "cb5",    "lbl6",   "cb6",
        "lbl7",   "cb7",    "lbl8",   "cb8",    "lbl9",   "cb9",   "LLs1",   "LLs2",   "LLs3",
        "lls7",   "LLs4",   "LLs5",   "LLs6",   "bb1",    "bb2",   "bb3",    "bb4",    "bb5",
        "c1",     "rbtn1",  "rbtn2",  "rbtn9",  "rbtn12", "rbtn3", "rbtn10", "rbtn13", "rbtn4",
        "rbtn7",  "rbtn14", "rbtn5",  "rbtn6",  "rbtn8",  "rbtnQ", "tact1"}) {
    EXPECT_NE(panel.findChild<QObject*>(name), nullptr) << name;
  }
}

TEST_F(StartUpTest, EscClosesAndSendsNothingWhenNeverConnected) {
  StartMeter();
  TFrmMain& panel = StartPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  QTest::keyClick(&panel, Qt::Key_Escape);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_TRUE(panel.Context().ShuttingDown());
  EXPECT_EQ(meter_->CommandCount(), 0u);
}

TEST_F(StartUpTest, TheKeyFrameReleasesTheLockOnEveryWayOut) {
  StartMeter();
  TFrmMain& panel = StartPanel();
  panel.Context().Controls().SetPollPaused(true);
  bool ran = false;
  panel.RunKeyHandler([&] { ran = true; });
  EXPECT_FALSE(ran);  // not connected
  EXPECT_FALSE(panel.Context().Controls().PollPaused());
  EXPECT_TRUE(panel.rbtn2->isEnabled());

  ConnectPanel();
  ModalWatcher watcher;
  panel.RunKeyHandler([&] {
    EXPECT_FALSE(panel.rbtn2->isEnabled());
    throw std::runtime_error("lost the plot");
  });
  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().text, "lost the plot");
  EXPECT_TRUE(panel.rbtn2->isEnabled());
}

}  // namespace
}  // namespace benchbridge::testing
