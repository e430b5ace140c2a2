#pragma once
// What the main panel shares with its dialogs: the state record, the link to the instrument
// through the current poller, and the few main-panel routines the dialogs call.

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bilingual.h"
#include "channel_lock.h"
#include "log_writer.h"
#include "mythread.h"
#include "poller_controls.h"
#include "state_record.h"

namespace benchbridge {

// The main-panel routines and controls that dialogs reach. TFrmMain implements it.
class MainPanelAccess {
 public:
  virtual ~MainPanelAccess() = default;
  virtual void ShowBinLayout() = 0;
  virtual void RestoreReadingLayout() = 0;
  virtual int ComparatorSwitchIndex() const = 0;           // cb6: 0 off, 1 on
  virtual void SelectComparatorSwitch(int index) = 0;      // moves cb6 without sending
  virtual QString FunctionCaption() const = 0;             // CB1
  virtual QString ModeBadge() const = 0;                   // LLs888
  virtual void SetTriggerStatus(const QString& text) = 0;  // bb1
  virtual void ApplyLanguage() = 0;                        // the main panel's caption routine
  virtual void SaveSettings() = 0;                         // Set.ini
  // The line to the meter is gone (from the loss until the port is back and the meter is asked).
  virtual bool LineLost() const = 0;
};

// What a dialog left open across a lost line hears when the same meter is back.
class LineBackListener {
 public:
  virtual ~LineBackListener() = default;
  virtual void LineBack() = 0;
};

class PanelContext {
 public:
  explicit PanelContext(std::filesystem::path home);

  const std::filesystem::path& Home() const { return home_; }
  StateRecord& State() { return state_; }
  const StateRecord& State() const { return state_; }
  LinkShared& Link() { return link_; }
  PollerControls& Controls() { return controls_; }
  LogWriter& Log() { return log_; }

  TsmThread* Poller() const { return poller_; }
  void SetPoller(TsmThread* poller) { poller_ = poller; }  // the owner (TFrmMain) keeps it alive

  MainPanelAccess* Panel() const { return panel_; }
  void SetPanel(MainPanelAccess* panel) { panel_ = panel; }

  // The caller convention of every sender: wait until LinkReady while processing user-interface
  // events, then Query the command with "\n" appended. Without a poller, or once shutdown began,
  // nothing is sent and the reply is empty. The reply is also kept as the state's replyText.
  // Not for the first command of a connection (that one skips the wait).
  std::string Send(const std::string& command);
  // Query without the LinkReady wait ("SYSTem:REMote" at connection).
  std::string SendWithoutWait(const std::string& command);

  // How the panel's routines ask the meter: Send, giving the reply, or nullopt when there is
  // none (no answer in time, a failed write, no poller) or shutdown began. A routine that gets
  // nullopt stops there; what it showed before stays.
  std::optional<std::string> Ask(const std::string& command);
  // Ask without the LinkReady wait, for the first command of a connection.
  std::optional<std::string> AskWithoutWait(const std::string& command);
  // Send for a setting whose reply is not examined. False once shutdown began, or when the line
  // is lost (nothing is sent then) or went during the exchange: from then on the routine shows
  // nothing more.
  bool Tell(const std::string& command);
  // Returns at once without a poller or once shutdown began; otherwise keeps the window alive
  // (events processed, no busy looking) until the first exchange of the process has finished.
  void WaitLinkReady();

  // Nothing reaches the meter now: the line is lost, or it went during the last exchange (the
  // panel hears of that a moment later).
  bool LineLost() const;
  // Listeners are told, on the user-interface thread, each time the lost meter is back.
  void AddLineBackListener(LineBackListener* listener);
  void RemoveLineBackListener(LineBackListener* listener);
  void TellLineBack();

  // The comparator's bin query on the current poller: on sets it, off empties it.
  void SetBinQuery(bool on);
  void SetStatQuery(bool on);

  // The text of the interface language.
  QString Pick(const char* chinese, const char* english) const;
  QString Pick(const Bilingual& text) const { return Pick(text.chinese, text.english); }

  // Once shutdown began: no more sends, no log lines, no widget touched by the panel.
  void BeginShutdown();
  bool ShuttingDown() const { return shuttingDown_; }

 private:
  std::filesystem::path home_;
  StateRecord state_;
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_;
  TsmThread* poller_ = nullptr;
  MainPanelAccess* panel_ = nullptr;
  std::vector<LineBackListener*> lineBackListeners_;
  bool shuttingDown_ = false;
};

}  // namespace benchbridge
