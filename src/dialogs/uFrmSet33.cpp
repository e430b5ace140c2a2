#include "uFrmSet33.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet33", 4, "mV", "BIAS:VOLTage:LEVel ", true, "输入范围:0-1500"};

}  // namespace

TFrmSet33::TFrmSet33(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(ValueRange{0, 1500});
}

}  // namespace benchbridge
