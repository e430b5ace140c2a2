#include "uFrmSet22.h"

#include "meter_commands.h"
#include "model_abilities.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet22", 4, "mV", command::kSetLevel, true, "输入范围:100-2000"};

}  // namespace

TFrmSet22::TFrmSet22(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(ValueRange{kLevelRangeMv.lowest, kLevelRangeMv.highest});
}

}  // namespace benchbridge
