#pragma once
// The six meter models and what each accepts as test frequency and test level. The LX31xx take
// any whole value in their range; the LX21xx only the steps of their front-panel lists.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge::sim {

inline constexpr int kMinLevelMv = 100;
inline constexpr int kMaxLevelMv = 2000;
inline constexpr int kMinBiasMv = 0;
inline constexpr int kMaxBiasMv = 1500;
inline constexpr int kMinFreeFrequencyHz = 10;

struct ModelInfo {
  std::string name;              // "LX3102"
  int maxFrequencyHz = 0;        // LX31xx: free values from kMinFreeFrequencyHz up to this
  std::vector<int> frequencies;  // LX21xx: the only frequencies accepted, in Hz
  std::vector<int> levels;       // LX21xx: the only levels accepted, in mV

  bool FreeValues() const { return frequencies.empty(); }
  // The model number without "LX", as "*LX?" answers it.
  std::string Number() const { return name.substr(2); }
  bool AcceptsFrequency(int hz) const;
  bool AcceptsLevel(int mv) const;
};

// By exact name, "LX3101" ... "LX2110".
std::optional<ModelInfo> FindModel(std::string_view name);
std::vector<std::string> ModelNames();

}  // namespace benchbridge::sim
