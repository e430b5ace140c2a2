#pragma once
// What the main panel shares with its dialogs: the state record, the link to the instrument
// through the current poller, and the few main-panel routines the dialogs call.

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "bilingual.h"
#include "channel_lock.h"
#include "home_folders.h"
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
};

class PanelContext {
 public:
  explicit PanelContext(HomeFolders folders);

  // Where Set.ini, ports/ and log/ are.
  const HomeFolders& Folders() const { return folders_; }
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
  // Send for a setting whose reply is not examined. False once shutdown began: from then on the
  // routine shows nothing more.
  bool Tell(const std::string& command);
  // Returns at once without a poller or once shutdown began; otherwise keeps the window alive
  // (events processed, no busy looking) until the first exchange of the process has finished.
  void WaitLinkReady();

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
  HomeFolders folders_;
  StateRecord state_;
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_;
  TsmThread* poller_ = nullptr;
  MainPanelAccess* panel_ = nullptr;
  bool shuttingDown_ = false;
};

}  // namespace benchbridge
