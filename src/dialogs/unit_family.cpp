#include "unit_family.h"

namespace benchbridge {

namespace {

constexpr std::array<std::string_view, 7> kPrefixes{"M", "k", "", "m", "μ", "n", "p"};

std::string BaseUnitOf(char letter) {
  switch (letter) {
    case 'R':
    case 'Z':
      return "Ω";
    case 'C':
    case 'E':
      return "F";
    case 'L':
      return "H";
    default:
      return {};
  }
}

}  // namespace

UnitFamily UnitFamilyOf(std::string_view functionName) {
  UnitFamily family;
  if (functionName.empty()) return family;
  family.baseUnit = BaseUnitOf(functionName.front());
  if (family.baseUnit.empty()) return family;
  for (std::size_t i = 0; i < kPrefixes.size(); ++i) {
    family.items[i] = std::string(kPrefixes[i]) + family.baseUnit;
  }
  return family;
}

std::string UnitPrefix(std::string_view unitItem, std::string_view baseUnit) {
  if (baseUnit.empty() || !unitItem.ends_with(baseUnit)) return {};
  unitItem.remove_suffix(baseUnit.size());
  return std::string(unitItem);
}

}  // namespace benchbridge
