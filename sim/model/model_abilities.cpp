#include "model_abilities.h"

#include <algorithm>

namespace benchbridge::sim {
namespace {

const std::vector<int> kSecondFamilyLevels{100, 300, 600, 1000, 1500, 2000};
const std::vector<int> kLx2101Frequencies{100, 120, 200, 400, 800, 1000, 2000, 4000, 8000, 10000};

std::vector<int> Extended(std::vector<int> base, std::initializer_list<int> more) {
  base.insert(base.end(), more);
  return base;
}

std::vector<ModelInfo> AllModels() {
  const std::vector<int> lx2102 = Extended(kLx2101Frequencies, {15000, 20000});
  const std::vector<int> lx2110 = Extended(lx2102, {40000, 50000, 80000, 100000});
  return {
      {"LX3101", 10000, {}, {}},
      {"LX3102", 20000, {}, {}},
      {"LX3110", 100000, {}, {}},
      {"LX2101", 0, kLx2101Frequencies, kSecondFamilyLevels},
      {"LX2102", 0, lx2102, kSecondFamilyLevels},
      {"LX2110", 0, lx2110, kSecondFamilyLevels},
  };
}

bool Contains(const std::vector<int>& values, int value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

bool ModelInfo::AcceptsFrequency(int hz) const {
  if (FreeValues()) return hz >= kMinFreeFrequencyHz && hz <= maxFrequencyHz;
  return Contains(frequencies, hz);
}

bool ModelInfo::AcceptsLevel(int mv) const {
  if (FreeValues()) return mv >= kMinLevelMv && mv <= kMaxLevelMv;
  return Contains(levels, mv);
}

std::optional<ModelInfo> FindModel(std::string_view name) {
  for (ModelInfo& model : AllModels()) {
    if (model.name == name) return std::move(model);
  }
  return std::nullopt;
}

std::vector<std::string> ModelNames() {
  std::vector<std::string> names;
  for (const ModelInfo& model : AllModels()) names.push_back(model.name);
  return names;
}

}  // namespace benchbridge::sim
