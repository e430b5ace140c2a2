// The main panel's captions follow UiLanguage; state captions are recognised in either
// language, selections survive, and nothing is sent.

#include <QComboBox>
#include <QPushButton>

#include "fit_label.h"
#include "panel_harness.h"

namespace benchbridge::testing {
namespace {

class LanguageTest : public PanelHarness {
 protected:
  void Switch(UiLanguage language) {
    panel_->Context().State().uiLanguage = language;
    panel_->ApplyLanguage();
  }
};

TEST_F(LanguageTest, ConnectedCaptionsSwitchBackAndForthWithoutSending) {
  auto script = StandardMeterScript();
  script["FUNCtion:IMPedance:A?"] = "AUTO";
  StartMeter(script);
  StartPanel();
  ConnectPanel();
  panel_->cb5->setCurrentIndex(1);
  panel_->cb8->setCurrentIndex(2);
  panel_->cb6->setCurrentIndex(1);
  const auto sent = PanelCommands().size();

  Switch(UiLanguage::Chinese);
  EXPECT_EQ(panel_->rbtn1->text(), "断开设备");
  EXPECT_EQ(panel_->bb5->text(), "远程");
  EXPECT_EQ(panel_->LLs888->text(), "交流电桥");
  EXPECT_EQ(panel_->CB1->text(), "自动");
  EXPECT_EQ(panel_->rbtnQ->text(), "关闭");
  EXPECT_EQ(panel_->rbtn14->text(), "平均值");
  EXPECT_EQ(panel_->lbl1->text(), "功能:");
  EXPECT_EQ(panel_->lbl9->text(), "列表:");
  EXPECT_EQ(panel_->cb5->currentText(), "锁定");
  EXPECT_EQ(panel_->cb8->currentText(), "快速");
  EXPECT_EQ(panel_->cb6->currentText(), "开");
  EXPECT_EQ(panel_->cb9->currentText(), "关");
  EXPECT_EQ(panel_->rbtn2->text(), "AUTO/R/C/L/Z");  // the same in both languages
  EXPECT_EQ(panel_->windowTitle(), "台式电桥");

  Switch(UiLanguage::English);
  EXPECT_EQ(panel_->rbtn1->text(), "DisConnect device");
  EXPECT_EQ(panel_->bb5->text(), "REMOTE");
  EXPECT_EQ(panel_->CB1->text(), "AUTO");
  EXPECT_EQ(panel_->cb5->currentText(), "LOCK");
  EXPECT_EQ(panel_->cb8->currentIndex(), 2);
  EXPECT_EQ(PanelCommands().size(), sent);
}

TEST_F(LanguageTest, OtherCaptionsAreLeftAsTheyAre) {
  StartPanel();
  panel_->CB1->setText("Ls-Q");
  panel_->bb5->setText("");
  panel_->Context().State().bridgeMode = BridgeMode::Dcr;
  Switch(UiLanguage::Chinese);
  EXPECT_EQ(panel_->CB1->text(), "Ls-Q");
  EXPECT_EQ(panel_->bb5->text(), "");
  EXPECT_EQ(panel_->LLs888->text(), "直流电阻");
  EXPECT_EQ(panel_->rbtn1->text(), "连接设备");
  Switch(UiLanguage::English);
  EXPECT_EQ(panel_->LLs888->text(), "DCR");
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
}

}  // namespace
}  // namespace benchbridge::testing
