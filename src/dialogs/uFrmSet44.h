#pragma once
// TFrmSet44, the test frequency entry (Hz), opened by a double-click on bb44. Its range is the
// connected model's.

#include <optional>
#include <string>

#include "set_value_dialog.h"

namespace benchbridge {

class TFrmSet44 : public TFrmSetValue {
  Q_OBJECT

 public:
  TFrmSet44(PanelContext& context, QWidget* parent = nullptr);

  // The frequencies a model with free values accepts; none for the other models.
  static std::optional<ValueRange> FrequencyRange(const std::string& modelName);
};

}  // namespace benchbridge
