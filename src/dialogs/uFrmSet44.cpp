#include "uFrmSet44.h"

#include "meter_commands.h"

namespace benchbridge {

namespace {

constexpr SetValueKind kKind{"FrmSet44", 6, "HZ", command::kSetFrequency, false, "输入范围:0-100k"};

}  // namespace

TFrmSet44::TFrmSet44(PanelContext& context, QWidget* parent)
    : TFrmSetValue(context, kKind, parent) {
  FormCreate(FrequencyRange(context.State().modelName));
}

std::optional<ValueRange> TFrmSet44::FrequencyRange(const std::string& modelName) {
  if (modelName == "LX3101") {
    return ValueRange{10, 10000};
  }
  if (modelName == "LX3102") {
    return ValueRange{10, 20000};
  }
  if (modelName == "LX3110") {
    return ValueRange{10, 100000};
  }
  // Other models show bb44 only in DC resistance mode, reading "0Hz": only 0 passes.
  return std::nullopt;
}

}  // namespace benchbridge
