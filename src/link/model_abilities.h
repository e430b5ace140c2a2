#pragma once
// What each meter model can do, in one table: its family, the test frequencies and levels it
// offers (as list items or as a free range), and the entry ranges of level, bias and frequency.
// The panel's readback and entry dialogs and the simulated meter all read it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

enum class ModelFamily {
  kFreeValues,  // LX31xx: any whole frequency and level in range, shown as values
  kListed,      // LX21xx: only the steps of their front-panel lists
  kOther,       // a model the program does not know: nothing shown by family
};

struct IntRange {
  int lowest = 0;
  int highest = 0;
  bool Contains(int value) const { return value >= lowest && value <= highest; }
  bool operator==(const IntRange&) const = default;
};

// Entry ranges that do not depend on the model (mV).
inline constexpr IntRange kLevelRangeMv{100, 2000};
inline constexpr IntRange kBiasRangeMv{0, 1500};

struct ModelAbilities {
  std::string name;  // "LX3102"
  ModelFamily family = ModelFamily::kOther;
  std::optional<IntRange> frequencyRangeHz;  // free values only
  std::vector<int> frequenciesHz;            // listed models: the frequency items, in order
  std::vector<int> levelsMv;                 // listed models: the level items, in order

  bool AcceptsFrequency(int hz) const;
  bool AcceptsLevel(int mv) const;
  // The model number without "LX", as "*LX?" answers it.
  std::string Number() const;
};

// Every model the program knows, in a fixed order.
const std::vector<ModelAbilities>& KnownModels();
// By exact name ("LX2110"); a model of no known family otherwise (empty lists, no ranges).
const ModelAbilities& AbilitiesOf(std::string_view modelName);

}  // namespace benchbridge
