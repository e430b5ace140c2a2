#include "uFrmSet44.h"

#include "meter_commands.h"
#include "model_abilities.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet44", 6, "HZ", command::kSetFrequency, false, "输入范围:0-100k"};

}  // namespace

TFrmSet44::TFrmSet44(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(FrequencyRange(context.State().modelName));
}

std::optional<ValueRange> TFrmSet44::FrequencyRange(const std::string& modelName) {
  // Models without free frequencies show bb44 only in DC resistance mode, reading "0Hz": only 0
  // passes.
  if (const std::optional<IntRange> range = AbilitiesOf(modelName).frequencyRangeHz) {
    return ValueRange{range->lowest, range->highest};
  }
  return std::nullopt;
}

}  // namespace benchbridge
