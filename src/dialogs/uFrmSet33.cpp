#include "uFrmSet33.h"

#include "meter_commands.h"
#include "model_abilities.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet33", 4, "mV", command::kSetBias, true, "输入范围:0-1500"};

}  // namespace

TFrmSet33::TFrmSet33(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(ValueRange{kBiasRangeMv.lowest, kBiasRangeMv.highest});
}

}  // namespace benchbridge
