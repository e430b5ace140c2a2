// The line lost and found again. A pulled USB adapter takes its device node with it: the panel
// shows OFFLINE at once, stops talking to the dead port, locks the keys as while disconnected and
// looks for the same COM number every half second. When the port opens again the ordinary connect
// sequence runs on it; the same meter answering puts the panel back to polling ("link back."),
// another meter stops it in the disconnected state with a message saying which one answered.

#include <QComboBox>
#include <QMetaObject>
#include <QPushButton>

#include "fit_label.h"
#include "handler_guard.h"
#include "message_box.h"
#include "port_return_watch.h"
#include "qt_text.h"
#include "text_helpers.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

namespace {

// How often the port is looked for: as often as the poller would have asked, so a meter that
// comes back is polled again about as soon as it could have been.
constexpr std::chrono::milliseconds kLookPeriod{500};
// A port that is back with a meter that does not answer yet (switched on a moment ago) is tried
// less often: every try runs the connect sequence, which holds the window for the first
// command's 3 s limit, as a first connection to a silent meter does.
constexpr std::chrono::milliseconds kSilentMeterLookPeriod{5000};

// Fields of "*IDN?": maker, model, version, (unused), serial.
constexpr std::size_t kModelField = 1;
constexpr std::size_t kSerialField = 4;

}  // namespace

void TFrmMain::PollerLostLink(unsigned generation) {
  // Only the current poller's line counts; after shutdown nothing is shown any more.
  if (context_.ShuttingDown() || !poller_ || generation != pollerGeneration_) {
    return;
  }
  RunGuarded(this, [this] { OnLinkLost(); });
}

void TFrmMain::OnLinkLost() {
  if (context_.ShuttingDown()) {
    return;
  }
  if (lostLine_) {
    // Lost again while the connect sequence runs on the returned port: its next question gets
    // no answer, and FinishReturn goes back to looking.
    return;
  }
  const StateRecord& state = context_.State();
  lostLine_.emplace();
  lostLine_->model = state.idnModel;
  lostLine_->serial = state.idnSerial;
  lostLine_->since = QDateTime::currentDateTime();
  // Whatever else holds the meter's line on the panel's behalf lets go of it here, as on
  // disconnect: the bridge's clients are closed.
  StopBridge();
  bb5->setText(context_.Pick(main_text::kOffline));
  ShowStatusToolTip();
  for (QComboBox* selector : Selectors()) {
    selector->setEnabled(false);
  }
  LookForPort(kLookPeriod);
  SetPanelButtonsEnabled(true);  // only what KeyUsable leaves: Disconnect and Close
  emit LinkLostShown();
}

void TFrmMain::LookForPort(std::chrono::milliseconds period) {
  portWatch_ = std::make_unique<PortReturnWatch>(
      context_.State().portNumber, context_.Home(), kMeterBaud, period, [this] {
        // On the watch's thread: the window is told through its event queue. The window stops
        // the watch before it goes, and a post that finds the looking ended does nothing.
        QMetaObject::invokeMethod(
            this, [this] { RunGuarded(this, [this] { OnPortReturned(); }); }, Qt::QueuedConnection);
      });
}

void TFrmMain::StopLookingForPort() {
  portWatch_.reset();
  lostLine_.reset();
  if (!context_.ShuttingDown()) {
    ShowStatusToolTip();
  }
}

bool TFrmMain::KeyUsable(const QPushButton* key) const {
  return !lostLine_ || key == rbtn1 || key == rbtnQ;
}

void TFrmMain::DropLostPoller() {
  if (poller_) {
    poller_->Abandon();
    ReleasePoller();
  }
}

void TFrmMain::OnPortReturned() {
  if (context_.ShuttingDown() || !portWatch_ || !lostLine_ || lostLine_->returning) {
    return;
  }
  const PortHandle port = portWatch_->TakePort();
  if (port == kInvalidPort) {
    return;  // an earlier watch's post; this one is still looking
  }
  portWatch_.reset();
  // The lost poller's end may still be on its way; it has nothing left to do.
  DropLostPoller();
  lostLine_->returning = true;
  returnedPort_ = port;
  // As the connect key does before the sequence.
  context_.Controls().SetPollPaused(false);
  SetPanelButtonsEnabled(false);
  Connect();
  ClosePort(std::exchange(returnedPort_, kInvalidPort));  // only if the sequence never took it
  FinishReturn();
}

void TFrmMain::FinishReturn() {
  if (context_.ShuttingDown() || !lostLine_) {
    return;
  }
  if (!lostLine_->otherMeter.isEmpty()) {
    const QString message = lostLine_->otherMeter;
    lostLine_.reset();
    // Out of remote and back to the unconnected panel, as the operator's own disconnect does.
    Disconnect();
    if (!context_.ShuttingDown()) {
      ShowMessageBox(this, QMessageBox::Warning, context_.Pick(main_text::kMessageTitle), message);
    }
    return;
  }
  if (!lostLine_->confirmed || !poller_ || poller_->LinkLost()) {
    // Gone again, or the port is there but the meter did not answer yet: keep looking.
    const bool silentMeter = poller_ && !poller_->LinkLost();
    lostLine_->returning = false;
    StopBridge();  // a sequence that ran to its end started it
    DropLostPoller();
    bb5->setText(context_.Pick(main_text::kOffline));
    LookForPort(silentMeter ? kSilentMeterLookPeriod : kLookPeriod);
    SetPanelButtonsEnabled(true);
    return;
  }
  StopLookingForPort();
  SetPanelButtonsEnabled(true);
  emit LinkBack();
  context_.TellLineBack();  // dialogs left open read the meter again
}

bool TFrmMain::ConfirmReturnedMeter(const std::string& idnReply) {
  if (!lostLine_ || !lostLine_->returning) {
    return true;  // the operator's own connection: whatever answers is the meter chosen
  }
  const std::vector<std::string> fields = SplitText(idnReply, ",");
  const bool complete = fields.size() > kSerialField;
  const std::string model = complete ? Trimmed(fields[kModelField]) : std::string();
  const std::string serial = complete ? Trimmed(fields[kSerialField]) : std::string();
  // Without an identity from before (the loss came before "*IDN?" was answered) any meter that
  // identifies itself is taken.
  const bool knownBefore = !lostLine_->model.empty() || !lostLine_->serial.empty();
  if (complete && (!knownBefore || (model == lostLine_->model && serial == lostLine_->serial))) {
    lostLine_->confirmed = true;
    context_.Log().WriteLog("link back.");
    return true;
  }
  const auto identity = [this](const std::string& meterModel, const std::string& meterSerial) {
    return context_.Pick(main_text::kMeterIdentity).arg(ToQt(meterModel), ToQt(meterSerial));
  };
  const QString found = complete
                            ? identity(model, serial)
                            : context_.Pick(main_text::kUnreadableIdentity).arg(ToQt(idnReply));
  lostLine_->otherMeter = context_.Pick(main_text::kOtherMeter)
                              .arg(QStringLiteral("COM%1").arg(context_.State().portNumber), found,
                                   identity(lostLine_->model, lostLine_->serial));
  return false;
}

}  // namespace benchbridge
