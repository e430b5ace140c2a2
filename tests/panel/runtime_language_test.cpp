// Texts the keys write are chosen by UiLanguage when they are written, and the captions the
// handlers read are recognised in either language, whatever UiLanguage holds now.

#include <QPushButton>

#include "fit_label.h"
#include "key_harness.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

class RuntimeLanguageTest : public KeyHarness {
 protected:
  // The panel captioned in Chinese, then UiLanguage back to English without re-captioning, as a
  // form captioned earlier would be.
  void ChineseCaptionsEnglishLanguage() {
    UseLanguage(UiLanguage::Chinese);
    panel_->Context().State().uiLanguage = UiLanguage::English;
  }
};

TEST_F(RuntimeLanguageTest, KeysCaptionTheBadgeInTheLanguageOfTheMoment) {
  ConnectWith();
  panel_->Context().State().uiLanguage = UiLanguage::Chinese;
  meter_->Reply("FUNCtion:IMPedance:A?", "DCR");
  panel_->rbtn6->click();
  EXPECT_EQ(panel_->LLs888->text(), "直流电阻");
  EXPECT_EQ(panel_->CB1->text(), "DCR");

  meter_->Reply("FUNCtion:IMPedance:A?", "ECAP");
  panel_->rbtn2->click();
  EXPECT_EQ(panel_->LLs888->text(), "电解电容");
}

TEST_F(RuntimeLanguageTest, ChineseCaptionsStillGuardTheParameterKeys) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "AUTO"}});
  ChineseCaptionsEnglishLanguage();
  ASSERT_EQ(panel_->CB1->text(), "自动");
  panel_->rbtn3->click();
  panel_->rbtn4->click();
  EXPECT_TRUE(PanelCommands().empty());
  TearDown();

  ConnectWith({{"FUNCtion:IMPedance:A?", "DCR"}});
  ChineseCaptionsEnglishLanguage();
  ASSERT_EQ(panel_->LLs888->text(), "直流电阻");
  panel_->rbtn3->click();
  panel_->rbtn4->click();
  EXPECT_TRUE(PanelCommands().empty());
}

TEST_F(RuntimeLanguageTest, ChineseItemsStillWorkTheComparatorSwitch) {
  ConnectWith();
  ChineseCaptionsEnglishLanguage();
  PickItem(panel_->cb6, "开");
  EXPECT_TRUE(panel_->lls7->isVisible());
  PickItem(panel_->cb6, "关");
  EXPECT_FALSE(panel_->lls7->isVisible());
  EXPECT_EQ(PanelCommands(), (Commands{"COMParator:STATe ON", "COMParator:STATe OFF"}));
}

}  // namespace
}  // namespace benchbridge::testing
