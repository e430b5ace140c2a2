#include "dialog_session.h"

#include <QCoreApplication>

namespace benchbridge {

DialogSession::DialogSession(PanelContext& context, QDialog* dialog)
    : context_(context), dialog_(dialog) {}

bool DialogSession::Open() const {
  // The dialog goes first: once it is gone, the context may be gone with its main window too.
  return !dialog_.isNull() && dialog_->isVisible() && !context_.ShuttingDown();
}

std::optional<std::string> DialogSession::Send(const std::string& command) {
  if (!Open()) return std::nullopt;
  context_.WaitLinkReady();
  if (!Open()) return std::nullopt;
  return context_.SendWithoutWait(command);
}

bool DialogSession::ProcessEvents() {
  if (!Open()) return false;
  QCoreApplication::processEvents();
  return Open();
}

}  // namespace benchbridge
