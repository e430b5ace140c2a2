#pragma once
// TFrmSet22, the test level entry (mV), opened by a double-click on bb22.

#include "set_value_dialog.h"

namespace benchbridge {

class TFrmSet22 : public TFrmSetValue {
  Q_OBJECT

 public:
  TFrmSet22(PanelContext& context, QWidget* parent = nullptr);
};

}  // namespace benchbridge
