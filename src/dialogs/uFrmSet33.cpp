#include "uFrmSet33.h"

#include "meter_commands.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet33", 4, "mV", command::kSetBias, true, "输入范围:0-1500"};

}  // namespace

TFrmSet33::TFrmSet33(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(ValueRange{0, 1500});
}

}  // namespace benchbridge
