#include "model_abilities.h"

#include <algorithm>
#include <initializer_list>

namespace benchbridge {

namespace {

constexpr int kLowestFreeFrequencyHz = 10;

std::vector<int> Extended(std::vector<int> base, std::initializer_list<int> more) {
  base.insert(base.end(), more);
  return base;
}

std::vector<ModelAbilities> MakeTable() {
  const std::vector<int> levels{100, 300, 600, 1000, 1500, 2000};
  const std::vector<int> lx2101{100, 120, 200, 400, 800, 1000, 2000, 4000, 8000, 10000};
  const std::vector<int> lx2102 = Extended(lx2101, {15000, 20000});
  const std::vector<int> lx2110 = Extended(lx2102, {40000, 50000, 80000, 100000});
  const auto free = [](const char* name, int highestHz) {
    return ModelAbilities{
        name, ModelFamily::kFreeValues, IntRange{kLowestFreeFrequencyHz, highestHz}, {}, {}};
  };
  const auto listed = [&levels](const char* name, const std::vector<int>& frequencies) {
    return ModelAbilities{name, ModelFamily::kListed, std::nullopt, frequencies, levels};
  };
  return {free("LX3101", 10000),    free("LX3102", 20000),    free("LX3110", 100000),
          listed("LX2101", lx2101), listed("LX2102", lx2102), listed("LX2110", lx2110)};
}

bool Contains(const std::vector<int>& values, int value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

bool ModelAbilities::AcceptsFrequency(int hz) const {
  if (frequencyRangeHz) return frequencyRangeHz->Contains(hz);
  return Contains(frequenciesHz, hz);
}

bool ModelAbilities::AcceptsLevel(int mv) const {
  if (family == ModelFamily::kFreeValues) return kLevelRangeMv.Contains(mv);
  return Contains(levelsMv, mv);
}

std::string ModelAbilities::Number() const { return name.size() > 2 ? name.substr(2) : name; }

const std::vector<ModelAbilities>& KnownModels() {
  static const std::vector<ModelAbilities> table = MakeTable();
  return table;
}

const ModelAbilities& AbilitiesOf(std::string_view modelName) {
  static const ModelAbilities unknown{};
  for (const ModelAbilities& model : KnownModels()) {
    if (model.name == modelName) return model;
  }
  return unknown;
}

}  // namespace benchbridge
