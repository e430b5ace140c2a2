// The line lost and found again, as the panel shows it. A pulled USB adapter takes its device
// node with it: the session stops talking to the dead port and looks for the same COM number;
// the panel shows OFFLINE at once and locks the keys as while disconnected. When the port opens
// again the session runs the ordinary connect sequence on it; the same meter answering puts the
// panel back to polling ("link back."), another meter stops it in the disconnected state with a
// message saying which one answered.

#include <QComboBox>
#include <QPushButton>

#include "fit_label.h"
#include "message_box.h"
#include "port_combo_box.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

void TFrmMain::ShowLineLost(bool firstLoss) {
  bb5->setText(context_.Pick(main_text::kOffline));
  ShowStatusToolTip();
  for (QComboBox* selector : Selectors()) {
    selector->setEnabled(false);
  }
  SetPanelButtonsEnabled(true);  // only what KeyUsable leaves: Disconnect and Close
  if (firstLoss) {
    emit LinkLostShown();
  }
}

void TFrmMain::ShowReturning() {
  // As the connect key does before the sequence.
  context_.Controls().SetPollPaused(false);
  SetPanelButtonsEnabled(false);
  c1->setEnabled(false);
  ForgetPreviousConnection(Forget::kKeepOperatorState);
}

void TFrmMain::ShowLineBack() {
  ShowStatusToolTip();
  SetPanelButtonsEnabled(true);
  emit LinkBack();
  context_.TellLineBack();  // dialogs left open read the meter again
}

void TFrmMain::OtherMeterAnswered(const MeterIdentity& found, const MeterIdentity& lost) {
  const auto identity = [this](const MeterIdentity& meter) {
    return context_.Pick(main_text::kMeterIdentity).arg(ToQt(meter.model), ToQt(meter.serial));
  };
  const QString shown = found.complete
                            ? identity(found)
                            : context_.Pick(main_text::kUnreadableIdentity).arg(ToQt(found.reply));
  ShowMessageBox(
      this, QMessageBox::Warning, context_.Pick(main_text::kMessageTitle),
      context_.Pick(main_text::kOtherMeter)
          .arg(QStringLiteral("COM%1").arg(context_.State().portNumber), shown, identity(lost)));
}

bool TFrmMain::KeyUsable(const QPushButton* key) const {
  const SessionState state = session_->State();
  const bool lineLost = state == SessionState::kLineLost || state == SessionState::kReturning;
  // A sweep holding the line leaves the same two: its own window has Stop.
  return (!lineLost && !sweeping_) || key == rbtn1 || key == rbtnQ;
}

}  // namespace benchbridge
