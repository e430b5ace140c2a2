#include "modal_watcher.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QVariant>

namespace benchbridge::testing {

namespace {

constexpr const char* kHandled = "modalWatcherHandled";

}  // namespace

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> act) : act_(std::move(act)) {
  connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
  timer_.start(10);
}

void ModalWatcher::Look() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible() || modal->property(kHandled).toBool()) {
    return;
  }
  modal->setProperty(kHandled, true);
  ++count_;
  last_ = {modal->windowTitle(), {}, QMessageBox::NoIcon, modal->objectName()};
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    last_.text = box->text();
    last_.icon = box->icon();
  }
  if (act_) {
    act_(modal);
  } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)->click() : box->reject();
  } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    dialog->reject();
  }
}

}  // namespace benchbridge::testing
