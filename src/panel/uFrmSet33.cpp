#include "uFrmSet33.h"

namespace benchbridge {

namespace {

constexpr SetValueSpec kSpec{"FrmSet33", 4, "mV", "BIAS:VOLTage:LEVel ", true, "输入范围:0-1500"};

}  // namespace

TFrmSet33::TFrmSet33(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kSpec, parent) {
  FormCreate(ValueRange{0, 1500});
}

}  // namespace benchbridge
