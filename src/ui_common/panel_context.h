#pragma once
// What the main panel shares with its dialogs: the state record, the link to the instrument
// through the meter session, and the few main-panel routines the dialogs call.

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bilingual.h"
#include "channel_lock.h"
#include "home_folders.h"
#include "log_writer.h"
#include "meter_session.h"
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
  virtual void SetTriggerStatus(const QString& text) = 0;  // bb1
  virtual void ApplyLanguage() = 0;                        // the main panel's caption routine
  virtual void SaveSettings() = 0;                         // Set.ini
};

// What a dialog left open across a lost line hears when the same meter is back.
class LineBackListener {
 public:
  virtual ~LineBackListener() = default;
  virtual void LineBack() = 0;
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

  // The connection; the owner (TFrmMain) keeps it alive. Null before it is set.
  MeterSession* Session() const { return session_; }
  void SetSession(MeterSession* session) { session_ = session; }
  // The session's current poller; nullptr when none exists.
  TsmThread* Poller() const { return session_ != nullptr ? session_->Poller() : nullptr; }
  // The operator's connection stands (connecting, connected, line lost or returning).
  bool Connected() const { return session_ != nullptr && session_->Connected(); }

  MainPanelAccess* Panel() const { return panel_; }
  void SetPanel(MainPanelAccess* panel) { panel_ = panel; }

  // The caller convention of every sender: wait until LinkReady while processing user-interface
  // events, then ask the session with "\n" appended. Without a poller, while a feature holds the
  // line, or once shutdown began, nothing is sent and the reply is empty. The reply is also kept
  // as the state's replyText.
  std::string Send(const std::string& command) { return Exchange(command).reply; }
  // Send with the exchange's outcome (kNoLine when nothing was sent).
  ExchangeResult Exchange(const std::string& command);
  // Send without the LinkReady wait.
  std::string SendWithoutWait(const std::string& command);

  // How the panel's routines ask the meter: Send, giving the reply, or nullopt when there is
  // none (no answer in time, a failed write, no poller) or shutdown began. A routine that gets
  // nullopt stops there; what it showed before stays.
  std::optional<std::string> Ask(const std::string& command);
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
  HomeFolders folders_;
  StateRecord state_;
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_;
  MeterSession* session_ = nullptr;
  MainPanelAccess* panel_ = nullptr;
  std::vector<LineBackListener*> lineBackListeners_;
  bool shuttingDown_ = false;
};

}  // namespace benchbridge
