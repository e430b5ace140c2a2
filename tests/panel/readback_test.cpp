// ReadBackSettings against a scripted meter: which settings are asked in which mode, and how
// each answer is shown for each model family.

#include <QComboBox>

#include "fit_label.h"
#include "panel_harness.h"
#include "panel_look.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

const QColor kWhite(Qt::white);
const QColor kAqua(Qt::cyan);

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

class ReadBackTest : public PanelHarness {
 protected:
  // Connected to an LX2110 in Cs-D; then the badge and model are set as a test needs and the
  // readback runs again on its own.
  void SetUp() override {
    StartMeter();
    StartPanel();
    ConnectPanel();
    ASSERT_EQ(panel_->rbtn1->text(), "DisConnect device");
  }
  Commands ReadBack(std::optional<BridgeMode> mode, const std::string& model,
                    std::map<std::string, std::string> replies = {}) {
    for (auto& [command, reply] : replies) meter_->Reply(command, reply);
    panel_->SetBridgeMode(mode);
    panel_->Context().State().modelName = model;
    meter_->ClearCommands();
    panel_->ReadBackSettings();
    return PanelCommands();
  }
  void ExpectListsEnabled() {
    for (QComboBox* list :
         {panel_->cb2, panel_->cb4, panel_->cb5, panel_->cb6, panel_->cb7, panel_->cb8}) {
      EXPECT_TRUE(list->isEnabled()) << list->objectName().toStdString();
    }
  }
};

TEST_F(ReadBackTest, ASecondFamilyModelGetsItsListsAndSelections) {
  // The connection itself read an LX2110 answering 600, 0, 1000, ON, 0, FAST.
  EXPECT_EQ(Items(panel_->cb2),
            (QStringList{"100mV", "300mV", "600mV", "1000mV", "1500mV", "2000mV"}));
  EXPECT_EQ(panel_->cb2->currentText(), "600mV");
  EXPECT_EQ(TextColour(panel_->cb2), kWhite);
  EXPECT_EQ(panel_->bb33->text(), "0mV");
  EXPECT_EQ(TextColour(panel_->bb33), kWhite);
  EXPECT_EQ(panel_->cb4->count(), 16);
  EXPECT_EQ(panel_->cb4->itemText(15), "100000Hz");
  EXPECT_EQ(panel_->cb4->currentText(), "1000Hz");
  EXPECT_EQ(panel_->cb5->currentIndex(), 0);
  EXPECT_EQ(panel_->cb7->currentIndex(), 0);
  EXPECT_EQ(panel_->cb8->currentIndex(), 2);
  EXPECT_TRUE(panel_->bb22->isHidden());
  EXPECT_TRUE(panel_->bb44->isHidden());
  EXPECT_TRUE(panel_->cb2->isVisible());
  EXPECT_TRUE(panel_->cb4->isVisible());
}

TEST_F(ReadBackTest, DcResistanceAsksOnlyRangeImpedanceAndSpeed) {
  EXPECT_EQ(ReadBack(BridgeMode::Dcr, "LX2110"),
            (Commands{"FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?", "APERture?"}));
  EXPECT_EQ(panel_->bb22->text(), "0mV");
  EXPECT_EQ(panel_->bb33->text(), "1500mV");
  EXPECT_EQ(panel_->bb44->text(), "0Hz");
  for (const FitLabel* fixed : {panel_->bb22, panel_->bb33, panel_->bb44}) {
    EXPECT_EQ(TextColour(fixed), kAqua);
    EXPECT_TRUE(fixed->isVisible());
  }
  EXPECT_TRUE(panel_->cb2->isHidden());
  EXPECT_TRUE(panel_->cb4->isHidden());
  ExpectListsEnabled();
}

TEST_F(ReadBackTest, AnElectrolyticCapacitorReadsItsFrequency) {
  EXPECT_EQ(ReadBack(BridgeMode::Eca, "LX2110", {{"FREQuency:CW?", "120"}}),
            (Commands{"FREQuency:CW?", "FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?",
                      "APERture?"}));
  EXPECT_EQ(panel_->bb22->text(), "1000mV");
  EXPECT_EQ(TextColour(panel_->bb22), kAqua);
  EXPECT_EQ(panel_->bb33->text(), "1500mV");
  EXPECT_EQ(panel_->cb4->currentText(), "120Hz");
  EXPECT_TRUE(panel_->cb4->isVisible());
}

TEST_F(ReadBackTest, AFirstFamilyModelShowsFreeValues) {
  ReadBack(BridgeMode::Lcr, "LX3101", {{"FREQuency:CW?", "1234"}, {"VOLTage:LEVel?", "750"}});
  EXPECT_TRUE(panel_->cb4->isHidden());
  EXPECT_TRUE(panel_->cb2->isHidden());
  EXPECT_EQ(panel_->bb44->text(), "1234Hz");
  EXPECT_EQ(panel_->bb22->text(), "750mV");
  EXPECT_EQ(TextColour(panel_->bb44), kWhite);
  EXPECT_EQ(TextColour(panel_->bb22), kWhite);
  EXPECT_TRUE(panel_->bb44->isVisible());
}

TEST_F(ReadBackTest, AFrequencyTheModelDoesNotOfferSelectsNothing) {
  ReadBack(BridgeMode::Lcr, "LX2101", {{"FREQuency:CW?", "1234"}});
  EXPECT_EQ(panel_->cb4->count(), 10);
  EXPECT_EQ(panel_->cb4->currentIndex(), -1);
}

TEST_F(ReadBackTest, RepliesCompareExactly) {
  ReadBack(BridgeMode::Lcr, "LX2102",
           {{"FUNCtion:IMPedance:RANGe:AUTO?", "on"},
            {"OUTput:RESistance?", "1"},
            {"APERture?", "MEDium"},
            {"VOLTage:LEVel?", "1000MV"}});
  EXPECT_EQ(panel_->cb5->currentIndex(), 1);
  EXPECT_EQ(panel_->cb7->currentIndex(), 1);
  EXPECT_EQ(panel_->cb8->currentIndex(), 1);
  EXPECT_EQ(panel_->cb4->count(), 12);
  EXPECT_EQ(panel_->cb2->currentIndex(), -1);  // "1000MVmV" is no item
  ReadBack(BridgeMode::Lcr, "LX2102", {{"APERture?", "SLOW"}, {"VOLTage:LEVel?", "1000"}});
  EXPECT_EQ(panel_->cb8->currentIndex(), 0);
  EXPECT_EQ(panel_->cb2->currentText(), "1000mV");
}

TEST_F(ReadBackTest, AnUnknownModelIsAskedButShowsNothing) {
  const QString levelBefore = panel_->cb2->currentText();
  EXPECT_EQ(ReadBack(BridgeMode::Lcr, "LX9999").size(), 6u);
  EXPECT_EQ(panel_->cb2->currentText(), levelBefore);
  EXPECT_TRUE(panel_->bb22->isHidden());
}

TEST_F(ReadBackTest, ABadgeOfNoModeLeavesLevelAndBiasAlone) {
  EXPECT_EQ(ReadBack(std::nullopt, "LX2110"),
            (Commands{"FREQuency:CW?", "FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?",
                      "APERture?"}));
  EXPECT_EQ(panel_->bb33->text(), "0mV");
}

TEST_F(ReadBackTest, ASilentLevelQueryStopsTheChainAndUnlocksTheLists) {
  panel_->cb8->setCurrentIndex(1);
  meter_->Respond("VOLTage:LEVel?", Silence());
  EXPECT_EQ(ReadBack(BridgeMode::Lcr, "LX2110"), (Commands{"VOLTage:LEVel?"}));
  EXPECT_EQ(panel_->cb8->currentIndex(), 1);  // later rows keep what they showed
  EXPECT_EQ(panel_->bb33->text(), "0mV");
  ExpectListsEnabled();
}

}  // namespace
}  // namespace benchbridge::testing
