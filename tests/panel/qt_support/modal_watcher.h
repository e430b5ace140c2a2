#pragma once
// Message boxes and modal dialogs are real in the tests: a ModalWatcher waits (on a timer, while
// the modal loop runs) for the application's active modal widget, notes what it showed, and
// closes it, so the handler that opened it can go on.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace benchbridge::testing {

struct ModalSeen {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString objectName;
};

class ModalWatcher : public QObject {
 public:
  // act runs on the modal widget once it is shown; the default presses OK on a message box
  // (or rejects any other dialog).
  explicit ModalWatcher(std::function<void(QWidget*)> act = {});

  int Count() const { return count_; }
  const ModalSeen& Last() const { return last_; }

 private:
  void Look();

  std::function<void(QWidget*)> act_;
  QTimer timer_;
  int count_ = 0;
  ModalSeen last_;
};

}  // namespace benchbridge::testing
