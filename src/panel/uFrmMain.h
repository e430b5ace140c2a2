#pragma once
// TFrmMain, the front panel: the display area that imitates the meter's screen and the key
// block beside it. One instance lives for the whole run and owns the panel context (state
// record, link, poller controls, logs) and, while connected, the one poller.
//
// The class is split by concern into source files:
//   uFrmMain.cpp                 creation (start-up steps) and destruction
//   uFrmMain_layout.cpp          the control table: names, places, fonts, colours, texts
//   uFrmMain_frame.cpp           moving the borderless window, Esc, quit, close, the panel lock
//   uFrmMain_settings.cpp        Set.ini
//   uFrmMain_connection.cpp      port list, connect and disconnect (through the meter session)
//   uFrmMain_poller.cpp          the session's state and the poller's texts on the display
//   uFrmMain_readback.cpp        mirroring the meter's settings rows
//   uFrmMain_mode.cpp            mode badge, function caption, list switch rule
//   uFrmMain_reading_layout.cpp  normal and comparator layouts of the readings
//   uFrmMain_language.cpp        captions in the interface language
//   uFrmMain_access.cpp          what the dialogs reach (MainPanelAccess)
//   uFrmMain_trend.cpp           the trend window: opening it and feeding it
//   uFrmMain_sweep.cpp           the sweep window: opening it, the keys while it sweeps
//   uFrmMain_bridge.cpp          the network bridge as the session runs it: its state in bb5's
//                                tooltip, the readback after a client's setting
//   uFrmMain_link_loss.cpp       the line lost (OFFLINE) and the meter's return, as shown
//   uFrmMain_problems.cpp        failures told to the operator: a port that does not open,
//                                log lines that cannot be written
// The connection itself (port, poller, bridge, the watch for a lost port, and its state) belongs
// to the meter session (src/session); the handlers ask it and render what it tells.
// Features that come later add files of their own (see "Handlers added with later features").

#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "listen_address.h"
#include "meter_session.h"
#include "panel_context.h"
#include "port_open_failure.h"
#include "qt_owner_loop.h"

class QAction;
class QComboBox;
class QEventLoop;
class QFrame;
class QPushButton;

namespace benchbridge {

class FitLabel;
class PanelInputGate;
class PortComboBox;
class TFrmComp;
class TrendWindow;
struct ComparatorLimits;
class SweepWindow;
class PanelSweepHost;
struct CsvContext;

// The place and font of one reading label, as ReadingLayout keeps it.
struct LabelGeometry {
  int top = 0;
  int fontPixelSize = 0;
  int left = 0;
  int width = 0;
  int height = 0;
  bool operator==(const LabelGeometry&) const = default;
};

class TFrmMain : public QWidget,
                 public MainPanelAccess,
                 private SessionListener,
                 private ConnectSteps {
  Q_OBJECT

 public:
  // folders: where Set.ini, ports/ and log/ are (portable, installed or --home).
  explicit TFrmMain(HomeFolders folders, QWidget* parent = nullptr);
  // Every file in the one folder home (tests, the picture tool).
  explicit TFrmMain(const std::filesystem::path& home, QWidget* parent = nullptr);
  ~TFrmMain() override;
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  PanelContext& Context() { return context_; }
  // --connect: picks portName in c1 as the operator would and presses the connect key. A port
  // that is not listed is told in a message box.
  void ConnectAtStart(const std::string& portName);
  // The one owner of the connection.
  MeterSession& Session() { return *session_; }
  // The current poller; nullptr when none exists (never connected, or disconnected).
  TsmThread* Poller() const { return session_->Poller(); }

  // --- Routines shared by the handlers (and by the dialogs through MainPanelAccess) ---
  // The panel lock: every button on or off at once, then pending events are processed so the
  // state is drawn before the caller goes on. Selectors and labels are not touched. While it is
  // held the operator's input to the panel is dropped (PanelInputGate); it is let go before the
  // keys come back.
  void SetPanelButtonsEnabled(bool enabled);
  // After the lock: only the connect and close keys come back (unconnected).
  void ReleaseToConnectKeys();
  void ReadBackSettings();
  void UpdateListSwitch();
  // The mode: the state record and the badge LLs888 (none: the badge is empty).
  void SetBridgeMode(std::optional<BridgeMode> mode);
  // The statistic ("MAX", "MIN", "AVG", empty for off): the state record, bb3 and the poller.
  void ShowStatistic(const std::string& name);
  void LoadSettings();
  void SaveSettings() override;
  void ApplyLanguage() override;
  void ShowBinLayout() override;
  void RestoreReadingLayout() override;
  int ComparatorSwitchIndex() const override;
  void SelectComparatorSwitch(int index) override;
  QString FunctionCaption() const override;
  void SetTriggerStatus(const QString& text) override;

  const std::array<LabelGeometry, 6>& ReadingLayout() const { return readingLayout_; }

  // --- The network bridge (uFrmMain_bridge.cpp) ---
  // Where the bridge listens from the next connection on, "[ADDRESS:]PORT"; empty: off. Start-up
  // takes Set.ini's [Bridge] Listen, the command line's --listen replaces it. A text that is no
  // address turns the bridge off; the error (prefixed by source) is returned, and the next
  // connection tells the operator.
  std::string SetBridgeListen(const std::string& text, const std::string& source = "--listen");
  // How the bridge answers its clients from the next connection on: "instrument" (the default)
  // or "all" (every meter line back). Start-up takes Set.ini's [Bridge] Replies (anything but
  // "all" there is the default), the command line's --replies replaces it; any other text is
  // refused with an error that names source.
  std::string SetBridgeReplies(const std::string& text, const std::string& source = "--replies");
  // Empty while not listening, else the address really bound.
  std::string BridgeListeningOn() const;
  int BridgeClients() const;

  // The frame of every key that talks to the instrument: PollPaused cleared, the panel lock
  // taken, act only while connected, the lock released on every way out, an unexpected failure
  // shown in the generic error box.
  void RunKeyHandler(const std::function<void()>& act);

  // --- The form's controls, named as the design names them (also their objectName) ---
  QFrame* Panel1 = nullptr;
  QFrame* shp2 = nullptr;
  FitLabel* LLs888 = nullptr;
  FitLabel* LLs999 = nullptr;
  FitLabel* lbl1 = nullptr;
  FitLabel* CB1 = nullptr;
  FitLabel* lbl2 = nullptr;
  QComboBox* cb2 = nullptr;
  FitLabel* bb22 = nullptr;
  FitLabel* lbl3 = nullptr;
  FitLabel* bb33 = nullptr;
  FitLabel* lbl4 = nullptr;
  QComboBox* cb4 = nullptr;
  FitLabel* bb44 = nullptr;
  FitLabel* lbl5 = nullptr;
  QComboBox* cb5 = nullptr;
  FitLabel* lbl6 = nullptr;
  QComboBox* cb6 = nullptr;
  FitLabel* lbl7 = nullptr;
  QComboBox* cb7 = nullptr;
  FitLabel* lbl8 = nullptr;
  QComboBox* cb8 = nullptr;
  FitLabel* lbl9 = nullptr;
  QComboBox* cb9 = nullptr;
  FitLabel* LLs1 = nullptr;
  FitLabel* LLs2 = nullptr;
  FitLabel* LLs3 = nullptr;
  FitLabel* lls7 = nullptr;
  FitLabel* LLs4 = nullptr;
  FitLabel* LLs5 = nullptr;
  FitLabel* LLs6 = nullptr;
  FitLabel* bb1 = nullptr;
  FitLabel* bb2 = nullptr;
  FitLabel* bb3 = nullptr;
  FitLabel* bb4 = nullptr;
  FitLabel* bb5 = nullptr;
  PortComboBox* c1 = nullptr;
  QPushButton* rbtn1 = nullptr;
  QPushButton* rbtn2 = nullptr;
  QPushButton* rbtn9 = nullptr;
  QPushButton* rbtn12 = nullptr;
  QPushButton* rbtn3 = nullptr;
  QPushButton* rbtn10 = nullptr;
  QPushButton* rbtn13 = nullptr;
  QPushButton* rbtn4 = nullptr;
  QPushButton* rbtn7 = nullptr;
  QPushButton* rbtn14 = nullptr;
  QPushButton* rbtn5 = nullptr;
  QPushButton* rbtn6 = nullptr;
  QPushButton* rbtn8 = nullptr;
  QPushButton* rbtnQ = nullptr;
  QAction* tact1 = nullptr;  // Esc: close the window

  QAction* trendAction = nullptr;  // Ctrl+T and the display's context menu: the trend window

  // The trend window, created at its first opening; nullptr until then.
  TrendWindow* Trend() const;
  void OpenTrendWindow();

  QAction* sweepAction = nullptr;  // Ctrl+Shift+S and the display's context menu: the sweep window
  // The sweep window, created at its first opening; nullptr until then.
  SweepWindow* Sweep() const;
  void OpenSweepWindow();

  std::array<QPushButton*, 14> Buttons() const;
  std::array<FitLabel*, 6> ReadingLabels() const;
  // cb2 .. cb9, the settings rows' selectors.
  std::array<QComboBox*, 7> Selectors() const;

 signals:
  // After a reading from the poller reached LLs1 .. LLs6.
  void ReadingDisplayed();
  // After the poller has ended and been released.
  void PollerGone();
  // After the panel read the meter's state again because a bridge client changed a setting.
  void BridgeReadBackDone();
  // The line went away and bb5 reads OFFLINE; the port is being looked for.
  void LinkLostShown();
  // The port came back and the same meter answered the connect sequence: polling again.
  void LinkBack();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // uFrmMain_layout.cpp
  void BuildControls();

  // uFrmMain_frame.cpp
  void WireFrame();
  void StartWindowMove();
  void rbtnQClick();
  void tact1Execute();
  void FormClose();
  // Stops and joins the poller at once (a read in flight is abandoned); from then on nothing is
  // sent, logged or shown.
  void Shutdown();

  // uFrmMain_problems.cpp
  // A failure the operator has to act on: the message box, and the same text on standard error
  // for a panel started from a terminal or a session log.
  void TellProblem(QMessageBox::Icon icon, const QString& text);
  // Log lines started being lost (loss) or are written again (nullopt): bb5's tooltip follows;
  // the first loss of the run is told once the panel is idle.
  void LogLossChanged(const std::optional<LogLoss>& loss);
  void TellLogLossWhenIdle();
  QString PortOpenFailureText(const PortOpenFailure& failure) const;
  QString LogLossText(const LogLoss& loss) const;

  // uFrmMain_settings.cpp
  std::filesystem::path SettingsFile() const;
  // Selects "COM<PortNumber>" in c1 (case ignored); no selection when it is not listed.
  void SelectPortItem();

  // uFrmMain_connection.cpp
  void WireConnection();
  void FillPortList();
  void c1DropDown();
  void c1Click(int index);
  void rbtn1Click();
  // The connect sequence (the session's): remote, identification, model, then ReadMeterState;
  // the selectors are unlocked only when all of it was answered.
  void Connect();
  void Disconnect();
  // The panel's steps of the session's connect and disconnect sequences.
  void RemoteAnswered() override;
  void Identified(const MeterIdentity& meter) override;
  bool ReadMeterState() override;
  void Completed() override;
  void LocalSent() override;
  // What the connect sequence decides, or never asks, back as after start-up, so a connection
  // shows nothing left from the one before it.
  // Empties what the panel showed of the meter. A return keeps the statistic and deviation the
  // operator set: the meter is set to them once it is back (AgreeAfterReturn).
  enum class Forget { kAll, kKeepOperatorState };
  void ForgetPreviousConnection(Forget what = Forget::kAll);
  void AgreeAfterReturn();
  // ReadMeterState reads the function (ReadFunction), the settings rows (ReadBackSettings) and
  // the comparator switch (ReadComparatorSwitch). False when it stopped at a missing reply.
  // The function: badge, BridgeMode and CB1, with the parameter pair where there is one.
  bool ReadFunction();
  // cb6, the poller's bin query and the reading layout from the comparator's state.
  bool ReadComparatorSwitch();
  // "*IDN?" lacked fields: the identification is unusable; the operator is told.
  void RefuseIdentification(const MeterIdentity& meter);
  // What CB1 shows when the meter answers "ECAP": "ECA", or (capacitor key) the "EC" pair, which
  // the key writes itself once the meter has named both parts.
  enum class EcapCaption { Eca, EcPair };
  // Badge, BridgeMode and (where the reply alone decides it) CB1 from "FUNCtion:IMPedance:A?".
  void ShowFunction(const std::string& functionReply, EcapCaption ecap = EcapCaption::Eca);

  // uFrmMain_poller.cpp: what the session tells.
  void StateChanged(SessionState from, SessionState to) override;
  void ReadingArrived(const Reading& reading) override;
  void BinArrived(const std::string& text) override;
  void StatArrived(const std::string& text) override;
  void PollerReleased() override;

  // uFrmMain_link_loss.cpp
  // The line went away: bb5 OFFLINE (since when in its tooltip), the keys locked as while
  // disconnected with Disconnect and Close left usable.
  void ShowLineLost(bool firstLoss);
  // The port came back: the connect sequence runs on it as the connect key runs it.
  void ShowReturning();
  // The same meter answered on the returned port: polling again.
  void ShowLineBack();
  void OtherMeterAnswered(const MeterIdentity& found, const MeterIdentity& lost) override;
  // The panel lock's rule while the line is lost: only Disconnect and Close.
  bool KeyUsable(const QPushButton* key) const;

  // uFrmMain_trend.cpp. Until the window is first opened each of these costs one test.
  void WireTrend();
  void ShowTrendMenu(const QPoint& globalPos);
  void TrendReading(const Reading& reading);
  void TrendBin(const std::string& text);
  // Readings stopped (disconnection, an error reply): the trend's line breaks.
  void TrendGap();
  void ReadingRejected() override;
  void CloseTrendWindow();
  // The comparator as its dialog last read or set it, for the trend's limit lines and Cp/Cpk.
  void TrendComparator(const TFrmComp& dialog);
  // What a CSV export's header tells of the meter and its settings, as the display shows them.
  CsvContext ExportContextNow() const;

  // uFrmMain_sweep.cpp
  friend class PanelSweepHost;
  void WireSweep();
  // While a sweep holds the line: the keys as KeyUsable leaves them, the lists off.
  void SetSweeping(bool sweeping);
  // Before a disconnect or close: a sweep under way ends and sets its setting back first.
  void EndSweep();
  // The session's state changed: the sweep window follows.
  void SweepMeterChanged();
  void CloseSweepWindow();

  // uFrmMain_bridge.cpp
  // At the end of a complete connect sequence: why the bridge is off although asked for is told
  // once in a message box; the panel works on without it.
  void TellBridgeProblem();
  // bb5's tooltip: since when the line is lost, if it is; where the bridge listens and how many
  // clients it has, or why it is off.
  void ShowStatusToolTip();
  void BridgeClientsChanged(int clients) override;
  void BridgeMeterChanged(const std::vector<MeterChange>& changes) override;
  // A client's setting may have changed the meter: read its state again as the connect
  // sequence does, once no handler or operator dialog is busy.
  void ReadBackForBridge();
  void FollowClientChanges(const std::vector<MeterChange>& changes);
  bool PanelBusy() const;

  // uFrmMain_reading_layout.cpp
  void SaveReadingLayout();

  // --- Handlers added with later features, each group in a source file of its own ---
  // Function and parameter keys, statistics, hold, NULL and the comparator switch
  // (uFrmMain_keys.cpp): rbtn2Click, rbtn3Click, rbtn4Click, rbtn5Click, rbtn6Click,
  // rbtn7Click, rbtn10Click, rbtn12Click, rbtn13Click, rbtn14Click, cb6Change.
  // Setting controls (uFrmMain_setting_controls.cpp): cb2Change, cb4Change, cb5Change,
  // cb7Change, cb8Change, cb9Change, bb22DblClick, bb33DblClick, bb44DblClick.
  // Dialog keys (uFrmMain_dialog_keys.cpp): rbtn8Click, rbtn9Click.
  // Each file brings a Wire...() function that connects its controls (operator picks through
  // QComboBox::activated only) and is called at the end of the constructor.

  // uFrmMain_keys.cpp
  void WireKeys();
  void rbtn2Click();
  void rbtn3Click();
  void rbtn4Click();
  void rbtn5Click();
  void rbtn6Click();
  void rbtn7Click();
  void rbtn10Click();
  void rbtn12Click();
  void rbtn13Click();
  void rbtn14Click();
  void cb6Change();
  // The keys that change the bridge mode: the key command, then the whole function.
  void FunctionKey(int key, EcapCaption ecap);
  // The panel lock around act, released on every way out, failures in the error box.
  void RunUnderPanelLock(const std::function<void()>& act);

  // uFrmMain_setting_controls.cpp
  void WireSettingControls();
  void cb2Change();
  void cb4Change();
  void cb5Change();
  void cb7Change();
  void cb8Change();
  void cb9Change();
  void bb22DblClick();
  void bb33DblClick();
  void bb44DblClick();

  // uFrmMain_dialog_keys.cpp
  void WireDialogKeys();
  void rbtn8Click();
  void rbtn9Click();

  PanelContext context_;
  std::array<LabelGeometry, 6> readingLayout_{};
  QPointer<TrendWindow> trendWindow_;
  std::shared_ptr<ComparatorLimits> trendComparator_;  // null until the dialog was used
  std::shared_ptr<PanelSweepHost> sweepHost_;          // shared: defined in uFrmMain_sweep.cpp only
  QPointer<SweepWindow> sweepWindow_;
  bool sweeping_ = false;
  bool endingSweep_ = false;
  std::array<bool, 7> selectorsBeforeSweep_{};
  // The session's news reaches the window through its event loop; the loop outlives the session.
  QtOwnerLoop ownerLoop_;
  std::unique_ptr<MeterSession> session_;

  std::string bridgeProblemTold_;  // the last reason the bridge is off shown in a message box
  bool bridgeReadBackPending_ = false;
  std::vector<MeterChange> bridgeChanges_;  // what clients changed, until the next re-read
  bool bridgeRetryArmed_ = false;
  PanelInputGate* inputGate_ = nullptr;  // a child; drops input while the panel lock is held
  // Log lines being lost right now, and since when; the message is shown once a run.
  std::optional<LogLoss> logLoss_;
  QDateTime logLossSince_;
  bool logLossTold_ = false;
};

}  // namespace benchbridge
