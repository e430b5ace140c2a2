#pragma once
// A dialog made for one modal showing and destroyed when it closes. It is held through a
// QPointer: should its parent go while the modal loop runs, Qt deletes the dialog with it and
// nothing here deletes it a second time.

#include <QDialog>
#include <QPointer>
#include <utility>

namespace benchbridge {

template <typename Dialog>
class ModalDialog {
 public:
  template <typename... Args>
  explicit ModalDialog(Args&&... args) : dialog_(new Dialog(std::forward<Args>(args)...)) {}
  ~ModalDialog() { delete dialog_.data(); }
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Shows it modally; Rejected when it went meanwhile.
  int Exec() { return dialog_ ? dialog_->exec() : QDialog::Rejected; }

  // Null once the dialog went.
  Dialog* Get() const { return dialog_.data(); }
  Dialog* operator->() const { return dialog_.data(); }
  explicit operator bool() const { return !dialog_.isNull(); }

 private:
  QPointer<Dialog> dialog_;
};

}  // namespace benchbridge
