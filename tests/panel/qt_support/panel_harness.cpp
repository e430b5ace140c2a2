#include "panel_harness.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "port_combo_box.h"

namespace benchbridge::testing {

std::map<std::string, std::string> StandardMeterScript() {
  return {
      {"SYSTem:REMote", "OK"},
      {"DISPlay:PAGE MEASurement", "OK"},
      {"*IDN?", "LX,LX2110,V1.02,2026,SN0042"},
      {"*LX?", "2110"},
      {"FUNCtion:IMPedance:A?", "C"},
      {"FUNCtion:IMPedance:B?", "D"},
      {"FUNCtion:IMPedance:EQUivalent?", "SER"},
      {"VOLTage:LEVel?", "600"},
      {"BIAS:VOLTage:LEVel?", "0"},
      {"FREQuency:CW?", "1000"},
      {"FUNCtion:IMPedance:RANGe:AUTO?", "ON"},
      {"OUTput:RESistance?", "0"},
      {"APERture?", "FAST"},
      {"COMParator:STATe?", "OFF"},
      {"FETCH:INT?", "Cs,1.2345nF,D,0.01234"},
      {"SYSTem:LOCal", "OK"},
  };
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return QTest::qWaitFor(done, static_cast<int>(limit.count()));
}

void PanelHarness::TearDown() {
  panel_.reset();
  meter_.reset();
}

FakeInstrument& PanelHarness::StartMeter(std::map<std::string, std::string> script) {
  FakeOptions options;
  options.comNumber = kMeterCom;
  meter_ = std::make_unique<FakeInstrument>(home_.Path(), options);
  for (const auto& [command, reply] : script) {
    meter_->Reply(command, reply);
  }
  return *meter_;
}

void PanelHarness::WriteSetIni(const std::string& text) {
  std::ofstream(home_.Path() / "Set.ini", std::ios::binary) << text;
}

std::string PanelHarness::ReadSetIni() const {
  std::ifstream in(home_.Path() / "Set.ini", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TFrmMain& PanelHarness::StartPanel() {
  panel_ = std::make_unique<TFrmMain>(home_.Path());
  panel_->show();
  return *panel_;
}

void PanelHarness::PressConnectKey() { panel_->rbtn1->click(); }

void PanelHarness::ConnectPanel() {
  const int index = panel_->c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
  ASSERT_GE(index, 0) << "COM5 is not in the port list";
  panel_->c1->setCurrentIndex(index);
  emit panel_->c1->activated(index);
  PressConnectKey();
}

std::vector<std::string> PanelHarness::PanelCommands() const {
  std::vector<std::string> commands;
  for (std::string& command : meter_->Commands()) {
    if (command != "FETCH:INT?" && command != "COMParator:TOLerance:BIN?" &&
        command != "FUNCtion:COMV?") {
      commands.push_back(std::move(command));
    }
  }
  return commands;
}

}  // namespace benchbridge::testing
