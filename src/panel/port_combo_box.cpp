#include "port_combo_box.h"

namespace benchbridge {

void PortComboBox::showPopup() {
  emit PopupAboutToShow();
  QComboBox::showPopup();
}

}  // namespace benchbridge
