#include "dialog_guard.h"

namespace benchbridge {

void ShowDialogMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                       const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

void ShowUnexpectedError(QWidget* parent, const QString& text) noexcept {
  try {
    ShowDialogMessage(parent, QMessageBox::Critical, QStringLiteral("Error"), text);
  } catch (...) {
    // Nothing more can be reported.
  }
}

}  // namespace benchbridge
