#include "meter_models.h"

namespace benchbridge::sim {

std::optional<ModelInfo> FindModel(std::string_view name) {
  for (const ModelAbilities& model : KnownModels()) {
    if (model.name == name) return model;
  }
  return std::nullopt;
}

std::vector<std::string> ModelNames() {
  std::vector<std::string> names;
  for (const ModelAbilities& model : KnownModels()) names.push_back(model.name);
  return names;
}

}  // namespace benchbridge::sim
