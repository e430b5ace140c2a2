#include "handler_guard.h"

#include "message_box.h"

namespace benchbridge {

void ShowErrorBox(QWidget* parent, const QString& text) noexcept {
  try {
    ShowMessageBox(parent, QMessageBox::Critical, QStringLiteral("Error"), text);
  } catch (...) {
    // Nothing more can be reported.
  }
}

}  // namespace benchbridge
