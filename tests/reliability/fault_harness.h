#pragma once
// The ground of the fault tests: the real panel on the scripted meter, whose answers a test can
// spoil and mend while the panel runs, with what an operator would notice measured: message
// boxes, the CPU the process burns while the fault lasts, whether the window still serves
// events, and the day's log lines.

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "key_harness.h"
#include "modal_watcher.h"

namespace benchbridge::testing {

// CPU time of this whole process (panel, poller and the fake's server thread) against the wall
// time since construction. A loop that looks continuously shows as a share near 1.
class ProcessCpu {
 public:
  ProcessCpu();
  double ShareOfOneCore() const;
  double WallSeconds() const;

 private:
  double cpuStart_;
  double wallStart_;
};

// Notes how often the user-interface thread got round to a 20 ms timer: a window that is stuck
// in a handler shows one long gap.
class EventPulse {
 public:
  EventPulse();
  int Beats() const { return beats_; }
  double LongestGapMs() const;

 private:
  QTimer timer_;
  int beats_ = 0;
  std::chrono::steady_clock::time_point last_;
  std::chrono::steady_clock::duration longest_{};
};

// The texts of a day's log file, each line without its ", yyyy-mm-dd hh:mm:ss:zzz" stamp.
std::vector<std::string> LogTexts(
    const std::filesystem::path& home, const std::string& suffix,
    std::chrono::system_clock::time_point day = std::chrono::system_clock::now());

class FaultHarness : public KeyHarness {
 protected:
  // What the meter sends instead of its script for a command (UTF-8, without "\n"); nullopt
  // leaves that command to the script.
  using Fault = std::function<std::optional<Response>(const std::string& command)>;

  void SetUp() override;
  void TearDown() override;

  // The standard meter as COM5, acknowledging unscripted commands with "OK" and paced at
  // pacingBaud (0: at once), then the panel.
  void StartMeterAndPanel(int pacingBaud = 0);
  // The panel, with readings_ counting the readings it shows.
  TFrmMain& StartCountingPanel();
  // A fresh meter on COM5 without a fault (the adapter plugged in again after a hang-up).
  void ReplaceMeter();
  void SetFault(Fault fault);
  void EndFault() { SetFault({}); }
  // Every command matching text (exactly) gets response.
  void FailCommand(const std::string& text, Response response);

  bool Connected() const;  // the connect sequence ran to its end: keys and selectors enabled
  bool WaitForReadings(int count, std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Disconnects (when connected) and connects again.
  void Reconnect();
  // Disconnects and checks that the poller is gone and the panel unconnected.
  void ExpectCleanDisconnect();

  // Dialogs the watcher met stay open until this says they may go (a message box is always
  // answered at once).
  void HoldDialogsUntil(std::function<bool()> mayClose) { dialogsMayClose_ = std::move(mayClose); }
  const std::vector<ModalSeen>& Modals() const { return modals_; }
  // No generic error box (an exception reached a handler's frame) was shown.
  void ExpectNoErrorBox() const;

  std::vector<std::string> MainLog() const { return LogTexts(home_.Path(), ""); }
  std::vector<std::string> NewLog() const { return LogTexts(home_.Path(), "_new"); }
  static std::size_t CountOf(const std::vector<std::string>& lines, const std::string& text);

  int readings_ = 0;

 private:
  void MakeMeter();

  int pacingBaud_ = 0;

  std::mutex faultMutex_;
  Fault fault_;
  std::vector<ModalSeen> modals_;
  std::function<bool()> dialogsMayClose_;
  std::unique_ptr<ModalWatcher> watcher_;
};

// The fault harness with the meter and the panel already started.
class StartedPanelTest : public FaultHarness {
 protected:
  void SetUp() override {
    FaultHarness::SetUp();
    StartMeterAndPanel();
  }
};

}  // namespace benchbridge::testing
