// The settings lists and the list switch against the scripted meter: the command of every pick,
// in either language, nothing without a connection, and the list sweep session of cb9.

#include <QDialog>
#include <QPushButton>

#include "fit_label.h"
#include "key_harness.h"
#include "modal_watcher.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

class SettingControlsTest : public KeyHarness {};

TEST_F(SettingControlsTest, EveryPickSendsItsCommandWithoutLockOrResumingAHold) {
  ConnectWith();  // LX2110: level and frequency from lists
  panel_->Context().Controls().SetPollPaused(true);

  PickItem(panel_->cb2, "1500mV");
  PickItem(panel_->cb4, "100000Hz");
  PickItem(panel_->cb5, "LOCK");
  PickItem(panel_->cb5, "AUTO");
  PickItem(panel_->cb7, "30Ω");
  PickItem(panel_->cb7, "100Ω");
  PickItem(panel_->cb8, "MED");
  PickItem(panel_->cb8, "SLOW");
  PickItem(panel_->cb8, "FAST");

  EXPECT_EQ(
      PanelCommands(),
      (Commands{"VOLTage:LEVel 1500", "FREQuency:CW 100000", "FUNCtion:IMPedance:RANGe:AUTO OFF",
                "FUNCtion:IMPedance:RANGe:AUTO ON", "OUTput:RESistance 1", "OUTput:RESistance 0",
                "APERture MEDium", "APERture SLOW", "APERture FAST"}));
  EXPECT_TRUE(panel_->Context().Controls().PollPaused());
  EXPECT_EQ(panel_->cb8->currentText(), "FAST");  // the reply is not examined
}

TEST_F(SettingControlsTest, ChineseItemsSendTheSameCommands) {
  ConnectWith();
  UseLanguage(UiLanguage::Chinese);
  PickItem(panel_->cb5, "锁定");
  PickItem(panel_->cb5, "自动");
  PickItem(panel_->cb8, "中速");
  PickItem(panel_->cb8, "慢速");
  PickItem(panel_->cb8, "快速");
  EXPECT_EQ(PanelCommands(),
            (Commands{"FUNCtion:IMPedance:RANGe:AUTO OFF", "FUNCtion:IMPedance:RANGe:AUTO ON",
                      "APERture MEDium", "APERture SLOW", "APERture FAST"}));
}

TEST_F(SettingControlsTest, NothingIsSentAfterADisconnection) {
  ConnectWith();
  PressConnectKey();
  ASSERT_FALSE(panel_->Context().Connected());
  meter_->ClearCommands();
  ModalWatcher watcher;

  PickItem(panel_->cb2, "600mV");
  PickItem(panel_->cb4, "1000Hz");
  PickItem(panel_->cb5, "LOCK");
  PickItem(panel_->cb7, "30Ω");
  PickItem(panel_->cb8, "MED");
  PickItem(panel_->cb9, "ON");

  EXPECT_TRUE(meter_->Commands().empty());
  EXPECT_EQ(watcher.Count(), 0);
}

TEST_F(SettingControlsTest, OffInTheListSwitchSendsNothing) {
  ConnectWith();
  ModalWatcher watcher;
  PickItem(panel_->cb9, "OFF");
  EXPECT_TRUE(PanelCommands().empty());
  EXPECT_EQ(watcher.Count(), 0);
}

TEST_F(SettingControlsTest, TheListSwitchExplainsWhyItCannotRunInDcOrAutomaticMode) {
  ConnectWith();
  ModalWatcher watcher;

  panel_->SetBridgeMode(BridgeMode::Dcr);
  PickItem(panel_->cb9, "ON");
  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().title, "Tips");
  EXPECT_EQ(watcher.Last().text, "List function cannot be used in DC resistance mode。");
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Warning);
  EXPECT_EQ(panel_->cb9->currentText(), "ON");  // it keeps the pick

  // Captions are recognised in either language; the notice is in the current one.
  UseLanguage(UiLanguage::Chinese);
  panel_->SetBridgeMode(BridgeMode::Lcr);
  panel_->CB1->setText("AUTO");
  PickItem(panel_->cb9, "开");
  ASSERT_EQ(watcher.Count(), 2);
  EXPECT_EQ(watcher.Last().title, "提示");
  EXPECT_EQ(watcher.Last().text, "自动模式下不能使用列表功能。");

  UseLanguage(UiLanguage::English);
  PickItem(panel_->cb9, "ON");
  ASSERT_EQ(watcher.Count(), 3);
  EXPECT_EQ(watcher.Last().text, "List function cannot be used in AUTO mode。");

  EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(SettingControlsTest, OnRunsOneListSweepSessionAndShowsOffAgain) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "L"}, {"FUNCtion:IMPedance:B?", "Q"}});
  ASSERT_EQ(panel_->CB1->text(), "Ls-Q");
  std::vector<std::string> sentWhileOpen;
  ModalWatcher watcher([&](QWidget* modal) {
    sentWhileOpen = PanelCommands();
    static_cast<QDialog*>(modal)->reject();
  });

  PickItem(panel_->cb9, "ON");

  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().objectName, "FrmList");
  ASSERT_FALSE(sentWhileOpen.empty());
  EXPECT_EQ(sentWhileOpen.front(), "LIST:STATe ON");
  const Commands all = PanelCommands();
  EXPECT_EQ(all.front(), "LIST:STATe ON");
  EXPECT_EQ(all.back(), "LIST:STATe OFF");
  EXPECT_EQ(std::count(all.begin(), all.end(), "LIST:STATe OFF"), 1);
  EXPECT_EQ(panel_->cb9->currentIndex(), 0);
  EXPECT_EQ(panel_->cb9->currentText(), "OFF");
  EXPECT_TRUE(panel_->findChildren<QDialog*>().isEmpty());  // destroyed once closed
}

}  // namespace
}  // namespace benchbridge::testing
