#pragma once
// The ground of the panel tests: a fresh home folder, a scripted meter on a real pty linked as
// COM<n> of that home, and the real TFrmMain built there (with every kind of its controls).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_instrument.h"
#include "fit_label.h"
#include "port_combo_box.h"
#include "temp_home.h"
#include "uFrmMain.h"

namespace benchbridge::testing {

// What a healthy LX2110 in Cs-D answers; tests change single entries.
std::map<std::string, std::string> StandardMeterScript();

// Processes events until done() or the limit; true when done.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

class PanelHarness : public ::testing::Test {
 protected:
  static constexpr int kMeterCom = 5;

  void TearDown() override;

  // The fake meter as COM5, answering script (commands without "\n"); FETCH:INT? is always
  // answered unless the script says otherwise, so the poller never holds the line for 3 s.
  FakeInstrument& StartMeter(std::map<std::string, std::string> script = StandardMeterScript());
  void WriteSetIni(const std::string& text);
  std::string ReadSetIni() const;
  TFrmMain& StartPanel();
  // Picks COM5 in c1 as the operator does, then presses the connect key; returns when the
  // connect sequence has finished.
  void ConnectPanel();
  void PressConnectKey();

  // The meter's commands apart from the poller's own (reading, bin and statistics queries).
  std::vector<std::string> PanelCommands() const;

  TempHome home_;
  std::unique_ptr<FakeInstrument> meter_;
  std::unique_ptr<TFrmMain> panel_;
};

}  // namespace benchbridge::testing
