#pragma once
// TFrmSet33, the DC bias entry (mV), opened by a double-click on bb33.

#include "set_value_dialog.h"

namespace benchbridge {

class TFrmSet33 : public TFrmSetValue {
  Q_OBJECT

 public:
  TFrmSet33(PanelContext& context, QWidget* parent = nullptr);
};

}  // namespace benchbridge
