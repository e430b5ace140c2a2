#pragma once
// The port list c1: tells the form when it is about to drop down, so the form can refill it with
// the ports present at that moment.

#include <QComboBox>

namespace benchbridge {

class PortComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
  void showPopup() override;

 signals:
  void PopupAboutToShow();
};

}  // namespace benchbridge
