#include "dialog_session.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "bilingual.h"
#include "handler_guard.h"
#include "message_box.h"

namespace benchbridge {

namespace {
constexpr Bilingual kMessageTitle{"提示", "Message"};
constexpr Bilingual kNotSent{"仪器连接中断，设置未发送。",
                             "The line to the meter is lost: the setting was not sent."};
}  // namespace

DialogSession::DialogSession(PanelContext& context, QDialog* dialog)
    : context_(context), dialog_(dialog) {}

bool DialogSession::Open() const {
  // The dialog goes first: once it is gone, the context may be gone with its main window too.
  return !dialog_.isNull() && dialog_->isVisible() && !context_.ShuttingDown();
}

std::optional<std::string> DialogSession::Send(const std::string& command) {
  if (!Open() || context_.LineLost()) return std::nullopt;
  context_.WaitLinkReady();
  if (!Open() || context_.LineLost()) return std::nullopt;
  std::string reply = context_.SendWithoutWait(command);
  if (!Open() || context_.LineLost()) return std::nullopt;
  return reply;
}

bool DialogSession::RefusedWhileLineLost() {
  if (!Open() || !context_.LineLost()) return false;
  ShowMessageBox(dialog_, QMessageBox::Warning, context_.Pick(kMessageTitle),
                 context_.Pick(kNotSent));
  return true;
}

bool DialogSession::ProcessEvents() {
  if (!Open()) return false;
  QCoreApplication::processEvents();
  return Open();
}

ReadAgainWhenLineBack::ReadAgainWhenLineBack(PanelContext& context, QDialog* dialog,
                                             std::function<void()> readAgain)
    : context_(context), dialog_(dialog), readAgain_(std::move(readAgain)) {
  context_.AddLineBackListener(this);
}

ReadAgainWhenLineBack::~ReadAgainWhenLineBack() { context_.RemoveLineBackListener(this); }

void ReadAgainWhenLineBack::LineBack() {
  if (dialog_.isNull()) return;
  // Queued on the dialog: a dialog that is gone by then reads nothing.
  QMetaObject::invokeMethod(
      dialog_.data(),
      [dialog = dialog_, readAgain = readAgain_] {
        if (!dialog.isNull() && dialog->isVisible()) RunGuarded(dialog, readAgain);
      },
      Qt::QueuedConnection);
}

}  // namespace benchbridge
