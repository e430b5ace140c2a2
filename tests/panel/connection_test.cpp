// Connecting, disconnecting and closing against a scripted meter on a real pty: what goes on
// the wire, in which order, and the state the panel is left in.

#include <QComboBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fit_label.h"
#include "log_writer.h"
#include "modal_watcher.h"
#include "panel_harness.h"
#include "panel_look.h"
#include "port_combo_box.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;
using namespace std::chrono_literals;

const Commands kIdentify{"SYSTem:REMote", "DISPlay:PAGE MEASurement", "*IDN?", "*LX?",
                         "FUNCtion:IMPedance:A?"};
const Commands kPair{"FUNCtion:IMPedance:B?", "FUNCtion:IMPedance:EQUivalent?"};
const Commands kLcrReadback{"VOLTage:LEVel?",     "BIAS:VOLTage:LEVel?",
                            "FREQuency:CW?",      "FUNCtion:IMPedance:RANGe:AUTO?",
                            "OUTput:RESistance?", "APERture?"};
const Commands kComparator{"COMParator:STATe?"};

Commands Join(std::initializer_list<Commands> parts) {
  Commands all;
  for (const Commands& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Commands Tail(const Commands& commands, std::size_t from) {
  return Commands(commands.begin() + static_cast<std::ptrdiff_t>(from), commands.end());
}

class ConnectionTest : public PanelHarness {
 protected:
  void Connect(std::map<std::string, std::string> changes = {}) {
    auto script = StandardMeterScript();
    for (auto& [command, reply] : changes) script[command] = reply;
    StartMeter(script);
    StartPanel();
    ConnectPanel();
  }
  void ExpectConnected() {
    for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
    for (QComboBox* list :
         {panel_->cb2, panel_->cb4, panel_->cb5, panel_->cb6, panel_->cb7, panel_->cb8}) {
      EXPECT_TRUE(list->isEnabled()) << list->objectName().toStdString();
    }
    EXPECT_FALSE(panel_->c1->isEnabled());
    EXPECT_EQ(panel_->rbtn1->text(), "DisConnect device");
    EXPECT_EQ(panel_->bb5->text(), "REMOTE");
    EXPECT_TRUE(panel_->Context().Connected());
  }
  // Stopped early: keys usable (to disconnect), selectors as they were, still "connected".
  void ExpectStoppedEarly() {
    for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(panel_->cb9->isEnabled());
    EXPECT_EQ(panel_->rbtn1->text(), "DisConnect device");
    EXPECT_TRUE(panel_->Context().Connected());
  }
};

TEST_F(ConnectionTest, APairFunctionIsIdentifiedReadBackAndUnlocked) {
  Connect();
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kPair, kLcrReadback, kComparator}));
  ExpectConnected();
  EXPECT_EQ(panel_->CB1->text(), "Cs-D");
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  EXPECT_EQ(panel_->LLs999->text(), "LX2110");
  EXPECT_TRUE(panel_->LLs999->isVisible());
  EXPECT_TRUE(panel_->cb9->isEnabled());
  EXPECT_EQ(panel_->cb6->currentIndex(), 0);
  EXPECT_EQ(TextColour(panel_->cb6), QColor(Qt::white));
  const StateRecord& state = panel_->Context().State();
  EXPECT_EQ(state.modelName, "LX2110");
  EXPECT_EQ(state.idnModel, "LX2110");
  EXPECT_EQ(state.idnVersion, "V1.02");
  EXPECT_EQ(state.idnSerial, "SN0042");
  EXPECT_EQ(state.primaryParam, "C");
  EXPECT_EQ(state.secondaryParam, "D");
  EXPECT_EQ(state.equivLetter, "s");
  EXPECT_EQ(state.bridgeMode, BridgeMode::Lcr);
  EXPECT_EQ(state.replyText, "OFF");
  EXPECT_NE(panel_->Poller(), nullptr);
}

TEST_F(ConnectionTest, TheAutomaticFunctionAsksForNoPair) {
  Connect({{"FUNCtion:IMPedance:A?", "AUTO"}});
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kLcrReadback, kComparator}));
  EXPECT_EQ(panel_->CB1->text(), "AUTO");
  EXPECT_EQ(panel_->LLs888->text(), "LCR");
  EXPECT_FALSE(panel_->cb9->isEnabled());
}

TEST_F(ConnectionTest, DcResistanceReadsOnlyTheModeFreeSettings) {
  Connect({{"FUNCtion:IMPedance:A?", "DCR"}});
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kPair, Tail(kLcrReadback, 3), kComparator}));
  EXPECT_EQ(panel_->CB1->text(), "DCR");
  EXPECT_EQ(panel_->LLs888->text(), "DCR");
  EXPECT_EQ(panel_->Context().State().bridgeMode, BridgeMode::Dcr);
  EXPECT_FALSE(panel_->cb9->isEnabled());
}

TEST_F(ConnectionTest, AnElectrolyticCapacitorShowsEcaInTheCurrentLanguage) {
  StartMeter([] {
    auto script = StandardMeterScript();
    script["FUNCtion:IMPedance:A?"] = "ECAP";
    return script;
  }());
  StartPanel();
  panel_->Context().State().uiLanguage = UiLanguage::Chinese;
  ConnectPanel();
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kPair, Tail(kLcrReadback, 2), kComparator}));
  EXPECT_EQ(panel_->LLs888->text(), "电解电容");
  EXPECT_EQ(panel_->CB1->text(), "ECA");
  EXPECT_EQ(panel_->rbtn1->text(), "断开设备");
  EXPECT_EQ(panel_->bb5->text(), "远程");
  EXPECT_EQ(panel_->Context().State().primaryParam, "EC");
  EXPECT_EQ(panel_->Context().State().bridgeMode, BridgeMode::Eca);
  EXPECT_TRUE(panel_->cb9->isEnabled());
}

TEST_F(ConnectionTest, ThePhaseAngleIsShownAsTheta) {
  Connect({{"FUNCtion:IMPedance:A?", "L"},
           {"FUNCtion:IMPedance:B?", "THR"},
           {"FUNCtion:IMPedance:EQUivalent?", "PAL"}});
  EXPECT_EQ(panel_->CB1->text(), "Lp-θ");
  EXPECT_EQ(panel_->Context().State().secondaryParam, "θ");
}

TEST_F(ConnectionTest, AComparatorThatIsOnBringsTheBinDisplay) {
  auto script = StandardMeterScript();
  script["COMParator:STATe?"] = "ON";
  script["COMParator:TOLerance:BIN?"] = "3";
  StartMeter(script);
  StartPanel();
  ConnectPanel();
  EXPECT_EQ(panel_->cb6->currentIndex(), 1);
  EXPECT_EQ(panel_->Poller()->BinQuery(), "COMParator:TOLerance:BIN?\n");
  EXPECT_EQ(panel_->LLs1->y(), 235);
  EXPECT_EQ(panel_->LLs4->y(), 274);
  EXPECT_TRUE(panel_->lls7->isVisible());
  // Selecting "ON" from code sent nothing; the poller now asks for the bin every cycle.
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kPair, kLcrReadback, kComparator}));
  EXPECT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:3"; }));
}

// Silence at one step stops the sequence there: nothing after it is sent, and the panel is
// left for the operator to disconnect.
class SilentStepTest : public ConnectionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SilentStepTest, StopsTheConnectionThere) {
  const std::string silent = GetParam();
  auto script = StandardMeterScript();
  script.erase(silent);
  StartMeter(script);
  StartPanel();
  ConnectPanel();

  const Commands all = Join({kIdentify, kPair, kLcrReadback, kComparator});
  const auto stop = std::find(all.begin(), all.end(), silent);
  ASSERT_NE(stop, all.end());
  EXPECT_EQ(PanelCommands(), Commands(all.begin(), stop + 1));
  ExpectStoppedEarly();
  // Only a stop after the readback finds the settings lists unlocked (the readback unlocks
  // them on its way out).
  EXPECT_EQ(panel_->cb5->isEnabled(), silent == "COMParator:STATe?");
  EXPECT_EQ(panel_->bb5->text(), silent == "SYSTem:REMote" ? "LOCAL" : "REMOTE");
}

INSTANTIATE_TEST_SUITE_P(EachStep, SilentStepTest,
                         ::testing::Values("SYSTem:REMote", "*IDN?", "*LX?",
                                           "FUNCtion:IMPedance:A?", "FUNCtion:IMPedance:B?",
                                           "FUNCtion:IMPedance:EQUivalent?", "COMParator:STATe?"));

TEST_F(ConnectionTest, AShortIdentificationStopsWithAnErrorBox) {
  auto script = StandardMeterScript();
  script["*IDN?"] = "LX,LX2110,,V1.02";
  StartMeter(script);
  StartPanel();
  ModalWatcher watcher;
  ConnectPanel();

  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(watcher.Last().icon, QMessageBox::Critical);
  EXPECT_TRUE(watcher.Last().text.contains("LX,LX2110,,V1.02"));
  EXPECT_EQ(PanelCommands(), Commands(kIdentify.begin(), kIdentify.begin() + 3));
  ExpectStoppedEarly();
  EXPECT_TRUE(panel_->LLs999->isHidden());
  EXPECT_TRUE(panel_->Context().State().idnSerial.empty());
}

TEST_F(ConnectionTest, DisconnectSendsLocalAndWaitsForThePollerToEnd) {
  Connect();
  ASSERT_TRUE(WaitUntil([&] { return meter_->CountOf("FETCH:INT?") > 0; }));
  PressConnectKey();

  EXPECT_EQ(PanelCommands().back(), "SYSTem:LOCal");
  EXPECT_EQ(panel_->Poller(), nullptr);
  EXPECT_FALSE(panel_->Context().Connected());
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_EQ(panel_->bb5->text(), "LOCAL");
  EXPECT_TRUE(panel_->c1->isEnabled());
  for (QPushButton* button : panel_->Buttons()) {
    EXPECT_EQ(button->isEnabled(), button == panel_->rbtn1 || button == panel_->rbtnQ);
  }
  // The selectors keep their state; their handlers do nothing while disconnected.
  EXPECT_TRUE(panel_->cb5->isEnabled());

  // And a second connection makes a fresh poller on the same port.
  meter_->ClearCommands();
  PressConnectKey();
  EXPECT_EQ(PanelCommands(), Join({kIdentify, kPair, kLcrReadback, kComparator}));
  EXPECT_NE(panel_->Poller(), nullptr);
}

TEST_F(ConnectionTest, AVanishedPortIsToldOnceAndThePanelStaysUnconnected) {
  StartMeter();
  const std::string device = std::filesystem::canonical(meter_->LinkPath()).string();
  StartPanel();
  meter_.reset();  // unplugged: the list still shows it, the link leads nowhere
  std::filesystem::create_symlink(device, home_.Path() / "ports" / "com5");
  ModalWatcher watcher;
  ConnectPanel();
  EXPECT_EQ(watcher.Count(), 1);
  const std::string told = watcher.Last().text.toStdString();
  EXPECT_EQ(
      told.rfind("COM5 (" + device + ") cannot be opened: the device is no longer present.", 0), 0u)
      << told;
  // Unconnected as before, with nothing logged.
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_TRUE(panel_->c1->isEnabled());
  EXPECT_FALSE(panel_->Context().Connected());
  EXPECT_EQ(panel_->Poller(), nullptr);
  for (QPushButton* button : panel_->Buttons()) {
    EXPECT_EQ(button->isEnabled(), button == panel_->rbtn1 || button == panel_->rbtnQ);
  }
  EXPECT_FALSE(std::filesystem::exists(home_.Path() / "log"));
}

TEST_F(ConnectionTest, ClosingWhileConnectedSendsLocalAndEndsThePoller) {
  Connect();
  ASSERT_TRUE(WaitUntil([&] { return meter_->CountOf("FETCH:INT?") > 0; }));
  panel_->close();
  EXPECT_EQ(PanelCommands().back(), "SYSTem:LOCal");
  EXPECT_EQ(panel_->Poller(), nullptr);
  EXPECT_TRUE(panel_->Context().ShuttingDown());
  // Nothing is sent any more, and nothing is logged.
  EXPECT_TRUE(panel_->Context().Send("*IDN?").empty());
}

// What a connection shows, apart from the readings the poller brings.
std::string Shown(TFrmMain& panel) {
  const StateRecord& state = panel.Context().State();
  std::ostringstream shown;
  shown << "CB1=" << panel.CB1->text().toStdString()
        << " badge=" << panel.LLs888->text().toStdString()
        << " mode=" << (state.bridgeMode ? static_cast<int>(*state.bridgeMode) : -1)
        << " primary=" << state.primaryParam << " cb9=" << panel.cb9->isEnabled()
        << " cb6=" << panel.cb6->currentIndex() << " lls7=" << panel.lls7->isVisible() << "'"
        << panel.lls7->text().toStdString() << "'"
        << " LLs1.y=" << panel.LLs1->y() << " LLs2.w=" << panel.LLs2->width() << " bb3='"
        << panel.bb3->text().toStdString() << "' bb4='" << panel.bb4->text().toStdString()
        << "' deviation=" << state.deviationOn << " bin='" << panel.Poller()->BinQuery()
        << "' stat='" << panel.Poller()->StatQuery() << "'";
  return shown.str();
}

// A reconnection shows exactly what a first connection shows for the same answers, whatever
// the connection before it left on the panel (the automatic function, the comparator on with a
// bin, statistics and deviation on).
TEST_F(ConnectionTest, AReconnectionShowsWhatAFirstConnectionShows) {
  Connect();
  const std::string first = Shown(*panel_);
  const Commands firstCommands = PanelCommands();
  TearDown();

  auto script = StandardMeterScript();
  script["FUNCtion:IMPedance:A?"] = "AUTO";
  script["COMParator:STATe?"] = "ON";
  script["COMParator:TOLerance:BIN?"] = "3";
  script["FUNCtion:COM MAX"] = "OK";
  script["FUNCtion:COMV?"] = "1.5nF";
  script["FUNCtion:DEV:MODE ON"] = "OK";
  StartMeter(script);
  StartPanel();
  ConnectPanel();
  ASSERT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:3"; }));
  panel_->rbtn12->click();
  panel_->rbtn7->click();
  ASSERT_TRUE(WaitUntil([&] { return panel_->bb4->text() == "1.5nF"; }));
  PressConnectKey();
  ASSERT_EQ(panel_->Poller(), nullptr);

  for (const auto& [command, reply] : StandardMeterScript()) meter_->Reply(command, reply);
  meter_->ClearCommands();
  PressConnectKey();
  EXPECT_EQ(Shown(*panel_), first);
  EXPECT_EQ(PanelCommands(), firstCommands);
}

}  // namespace
}  // namespace benchbridge::testing
