// The function and parameter keys against the scripted meter: the exact commands, the badge,
// the parameter caption and the list switch they leave.

#include <QPushButton>

#include "fit_label.h"
#include "key_captions.h"
#include "key_harness.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

const Commands kLcrReadback{"VOLTage:LEVel?",     "BIAS:VOLTage:LEVel?",
                            "FREQuency:CW?",      "FUNCtion:IMPedance:RANGe:AUTO?",
                            "OUTput:RESistance?", "APERture?"};
const Commands kDcrReadback{"FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?", "APERture?"};
const Commands kEcaReadback{"FREQuency:CW?", "FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?",
                            "APERture?"};

Commands Join(std::initializer_list<Commands> parts) {
  Commands all;
  for (const Commands& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class KeysTest : public KeyHarness {
 protected:
  void Answer(const std::string& primary, const std::string& equivalent,
              const std::string& secondary) {
    meter_->Reply("FUNCtion:IMPedance:A?", primary);
    meter_->Reply("FUNCtion:IMPedance:EQUivalent?", equivalent);
    meter_->Reply("FUNCtion:IMPedance:B?", secondary);
  }
  void ExpectUnlocked() {
    for (QPushButton* button : panel_->Buttons()) {
      EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    }
  }
  const StateRecord& State() { return panel_->Context().State(); }
};

TEST_F(KeysTest, FunctionKeyReadsAPairEquivalentFirstAndShowsThePhaseAsTheta) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "DCR"}});  // cb9 starts disabled
  ASSERT_FALSE(panel_->cb9->isEnabled());
  Answer("C", "PAL", "THR");

  panel_->rbtn2->click();

  EXPECT_EQ(PanelCommands(), Join({{"KEYS 49", "FUNCtion:IMPedance:A?",
                                    "FUNCtion:IMPedance:EQUivalent?", "FUNCtion:IMPedance:B?"},
                                   kLcrReadback}));
  EXPECT_EQ(panel_->CB1->text(), "Cp-θ");
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  EXPECT_EQ(State().bridgeMode, BridgeMode::Lcr);
  EXPECT_TRUE(panel_->cb9->isEnabled());
  EXPECT_TRUE(panel_->cb2->isVisible());  // the LX2110 readback filled the level list again
  ExpectUnlocked();
}

TEST_F(KeysTest, FunctionKeyInDcResistanceReadsOnlyTheModeFreeSettings) {
  ConnectWith();
  meter_->Reply("FUNCtion:IMPedance:A?", "DCR");

  panel_->rbtn2->click();

  EXPECT_EQ(PanelCommands(), Join({{"KEYS 49", "FUNCtion:IMPedance:A?"}, kDcrReadback}));
  EXPECT_EQ(panel_->CB1->text(), "DCR");
  EXPECT_EQ(panel_->LLs888->text(), "DCR");
  EXPECT_EQ(State().bridgeMode, BridgeMode::Dcr);
  EXPECT_FALSE(panel_->cb9->isEnabled());
  EXPECT_EQ(panel_->bb44->text(), "0Hz");
}

TEST_F(KeysTest, AnElectrolyticAnswerShowsEcaForTheFunctionAndDcResistanceKeys) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "DCR"}});
  meter_->Reply("FUNCtion:IMPedance:A?", "ECAP");

  for (QPushButton* key : {panel_->rbtn2, panel_->rbtn6}) {
    panel_->CB1->setText("DCR");
    panel_->cb9->setEnabled(false);
    meter_->ClearCommands();
    key->click();
    const std::string keyCommand = key == panel_->rbtn2 ? "KEYS 49" : "KEYS 37";
    EXPECT_EQ(PanelCommands(), Join({{keyCommand, "FUNCtion:IMPedance:A?"}, kEcaReadback}));
    EXPECT_EQ(panel_->CB1->text(), "ECA");
    EXPECT_EQ(panel_->LLs888->text(), "ECA");
    EXPECT_EQ(State().bridgeMode, BridgeMode::Eca);
    EXPECT_TRUE(panel_->cb9->isEnabled());
  }
}

TEST_F(KeysTest, CapacitorKeyBuildsTheEcPair) {
  ConnectWith();
  Answer("ECAP", "SER", "D");

  panel_->rbtn5->click();

  EXPECT_EQ(PanelCommands(), Join({{"KEYS 17", "FUNCtion:IMPedance:A?",
                                    "FUNCtion:IMPedance:EQUivalent?", "FUNCtion:IMPedance:B?"},
                                   kEcaReadback}));
  EXPECT_EQ(panel_->CB1->text(), "ECs-D");
  EXPECT_EQ(panel_->LLs888->text(), "ECA");
  EXPECT_TRUE(panel_->cb9->isEnabled());
}

// The capacitor key names the mode on the badge at once, but its caption is the EC pair only:
// until the pair is complete, the old caption stays.
TEST_F(KeysTest, CapacitorKeyKeepsTheOldCaptionWhenThePairIsNotAnswered) {
  ConnectWith();  // Cs-D
  Answer("ECAP", "", "D");

  panel_->rbtn5->click();

  EXPECT_EQ(PanelCommands(),
            (Commands{"KEYS 17", "FUNCtion:IMPedance:A?", "FUNCtion:IMPedance:EQUivalent?"}));
  EXPECT_EQ(panel_->LLs888->text(), "ECA");
  EXPECT_EQ(State().bridgeMode, BridgeMode::Eca);
  EXPECT_EQ(panel_->CB1->text(), "Cs-D");
  ExpectUnlocked();
}

TEST_F(KeysTest, TheAutomaticFunctionIsCaptionedInTheCurrentLanguage) {
  ConnectWith();
  meter_->Reply("FUNCtion:IMPedance:A?", "AUTO");
  panel_->rbtn2->click();
  EXPECT_EQ(panel_->CB1->text(), "AUTO");
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  EXPECT_FALSE(panel_->cb9->isEnabled());

  panel_->Context().State().uiLanguage = UiLanguage::Chinese;
  panel_->rbtn5->click();
  EXPECT_EQ(panel_->CB1->text(), "自动");
  EXPECT_EQ(panel_->LLs888->text(), "交流电桥");
}

TEST_F(KeysTest, SecondaryAndEquivalentKeysReplaceTheirPartOfThePair) {
  ConnectWith();  // Cs-D
  meter_->Reply("FUNCtion:IMPedance:B?", "THR");
  panel_->rbtn3->click();
  EXPECT_EQ(PanelCommands(), (Commands{"KEYS 33", "FUNCtion:IMPedance:B?"}));
  EXPECT_EQ(panel_->CB1->text(), "Cs-θ");

  meter_->ClearCommands();
  meter_->Reply("FUNCtion:IMPedance:EQUivalent?", "PAL");
  panel_->rbtn4->click();
  EXPECT_EQ(PanelCommands(), (Commands{"KEYS 18", "FUNCtion:IMPedance:EQUivalent?"}));
  EXPECT_EQ(panel_->CB1->text(), "Cp-θ");
  EXPECT_TRUE(panel_->cb9->isEnabled());
  ExpectUnlocked();
}

TEST_F(KeysTest, SecondaryAndEquivalentKeysLeaveACaptionWithoutPairAsItIs) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "ECAP"}});
  ASSERT_EQ(panel_->CB1->text(), "ECA");
  panel_->rbtn3->click();
  panel_->rbtn4->click();
  EXPECT_EQ(PanelCommands(), (Commands{"KEYS 33", "FUNCtion:IMPedance:B?", "KEYS 18",
                                       "FUNCtion:IMPedance:EQUivalent?"}));
  EXPECT_EQ(panel_->CB1->text(), "ECA");
}

// There is nothing to step in the automatic function or in DC resistance: nothing is sent, and
// the only effect is that a held display resumes.
TEST_F(KeysTest, SecondaryAndEquivalentKeysSendNothingInAutoOrDcResistance) {
  for (const char* function : {"AUTO", "DCR"}) {
    SCOPED_TRACE(function);
    ConnectWith({{"FUNCtion:IMPedance:A?", function}});
    const QString caption = panel_->CB1->text();
    for (QPushButton* key : {panel_->rbtn3, panel_->rbtn4}) {
      panel_->Context().Controls().SetPollPaused(true);
      key->click();
      EXPECT_FALSE(panel_->Context().Controls().PollPaused());
    }
    EXPECT_TRUE(PanelCommands().empty());
    EXPECT_EQ(panel_->CB1->text(), caption);
    ExpectUnlocked();
    TearDown();
  }
}

TEST_F(KeysTest, AnEmptyReplyKeepsWhatWasAlreadyChangedAndStops) {
  ConnectWith({{"FUNCtion:IMPedance:A?", "DCR"}});
  Answer("L", "SER", "");  // an empty line: no reply text

  panel_->rbtn2->click();

  // The badge was set before the pair was asked for; the caption, the settings rows and the
  // list switch were not reached.
  EXPECT_EQ(PanelCommands(), (Commands{"KEYS 49", "FUNCtion:IMPedance:A?",
                                       "FUNCtion:IMPedance:EQUivalent?", "FUNCtion:IMPedance:B?"}));
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  EXPECT_EQ(State().bridgeMode, BridgeMode::Lcr);
  EXPECT_EQ(panel_->CB1->text(), "DCR");
  EXPECT_FALSE(panel_->cb9->isEnabled());
  ExpectUnlocked();
}

TEST(KeyCaptionsTest, EdgesOfThePairRewrite) {
  EXPECT_EQ(WithSecondary("Ls-Q", "D"), "Ls-D");
  EXPECT_EQ(WithSecondary("Ls-Q-X", "D"), "Ls-D");  // up to the first "-" only
  EXPECT_EQ(WithSecondary("ECA", "D"), std::nullopt);
  EXPECT_EQ(WithEquivalent("Ls-Q", "p"), "Lp-Q");
  EXPECT_EQ(WithEquivalent("ECs-D", "p"), "ECp-D");
  EXPECT_EQ(WithEquivalent("-Q", "p"), "p-Q");  // no letter before the "-" to replace
  EXPECT_EQ(WithEquivalent("Ls-0123456789AB", "p"), "Lp-012345678");  // ten kept from "-"
  EXPECT_EQ(WithEquivalent("", "p"), std::nullopt);
}

}  // namespace
}  // namespace benchbridge::testing
