// Failures told to the operator, each in one message: a port that cannot be opened, log lines
// that cannot be written.

#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "message_box.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

void TFrmMain::TellProblem(QMessageBox::Icon icon, const QString& text) {
  (void)std::fprintf(stderr, "benchbridge: %s\n", text.toLocal8Bit().constData());
  ShowMessageBox(this, icon, context_.Pick(main_text::kMessageTitle), text);
}

QString TFrmMain::PortOpenFailureText(const PortOpenFailure& failure) const {
  const QString port = QStringLiteral("COM") + QString::number(context_.State().portNumber);
  QString text = context_.Pick(main_text::kPortNotOpened)
                     .arg(port, failure.path.empty() ? QStringLiteral("?") : ToQt(failure.path));
  switch (failure.cause) {
    case PortOpenFailure::Cause::PermissionDenied:
      if (failure.group.empty()) {
        text += QString::fromLocal8Bit(std::strerror(failure.error));  // NOLINT
      } else {
        text +=
            context_
                .Pick(failure.groupListed ? main_text::kPortDeniedListed : main_text::kPortDenied)
                .arg(ToQt(failure.group));
      }
      break;
    case PortOpenFailure::Cause::Busy:
      text += context_.Pick(main_text::kPortBusy);
      if (!failure.holder.empty()) text += QStringLiteral(": ") + ToQt(failure.holder);
      text += context_.Pick(main_text::kPortBusyRemedy);
      break;
    case PortOpenFailure::Cause::Gone:
      text += context_.Pick(main_text::kPortGone);
      break;
    case PortOpenFailure::Cause::Other:
      text += QString::fromLocal8Bit(std::strerror(failure.error)) +  // NOLINT
              QLatin1Char('.');
      break;
  }
  return text;
}

void TFrmMain::LogLossChanged(const std::optional<LogLoss>& loss) {
  if (context_.ShuttingDown()) {
    return;
  }
  if (loss && !logLoss_) {
    logLossSince_ = QDateTime::currentDateTime();
  }
  logLoss_ = loss;
  ShowStatusToolTip();
  if (loss && !logLossTold_) {
    logLossTold_ = true;
    TellLogLossWhenIdle();
  }
}

void TFrmMain::TellLogLossWhenIdle() {
  if (context_.ShuttingDown() || !logLoss_) {
    return;  // written again meanwhile: nothing to tell
  }
  // Not in the middle of the connect sequence or over another message: the box would stall the
  // handler that runs below it.
  constexpr int kIdleLookMs = 200;
  if (PanelBusy()) {
    QTimer::singleShot(kIdleLookMs, this, [this] { TellLogLossWhenIdle(); });
    return;
  }
  TellProblem(QMessageBox::Warning, LogLossText(*logLoss_));
}

QString TFrmMain::LogLossText(const LogLoss& loss) const {
  const QString place = ToQt(loss.place.string());
  const QString folder = ToQt(context_.Folders().LogDir().string());
  QString cause;
  QString remedy = context_.Pick(main_text::kLossOtherRemedy);
  switch (loss.error) {
    case EACCES:
    case EPERM:
      cause = context_.Pick(main_text::kLossDenied).arg(ToQt(loss.owner));
      remedy = context_.Pick(main_text::kLossDeniedRemedy).arg(folder);
      break;
    case EROFS:
      cause = context_.Pick(main_text::kLossReadOnly);
      break;
    case ENOSPC:
    case EDQUOT:
      cause = context_.Pick(main_text::kLossFull);
      break;
    case ENOTDIR:
    case EEXIST:
      cause = context_.Pick(main_text::kLossNotFolder);
      break;
    default:
      cause = QString::fromLocal8Bit(std::strerror(loss.error));  // NOLINT(concurrency-mt-unsafe)
      break;
  }
  return context_.Pick(main_text::kLogLoss).arg(place, cause, remedy);
}

}  // namespace benchbridge
