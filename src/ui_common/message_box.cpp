#include "message_box.h"

namespace benchbridge {

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace benchbridge
