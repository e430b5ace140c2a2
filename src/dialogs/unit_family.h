#pragma once
// The units of the list sweep's limits, chosen by the measurement function: resistance and
// impedance in ohms, capacitance (also electrolytic) in farads, inductance in henries.

#include <array>
#include <string>
#include <string_view>

namespace benchbridge {

struct UnitFamily {
  std::string baseUnit;                // "Ω", "F", "H"; empty for a function of no family
  std::array<std::string, 7> items;    // "M", "k", "", "m", "μ", "n", "p" each + baseUnit
  static constexpr int kBaseItem = 2;  // the item of the base unit itself
};

// By the first character of the function name ("Ls-Q" -> H). An unknown function gets an
// empty base unit and empty items.
UnitFamily UnitFamilyOf(std::string_view functionName);

// The SI prefix that a unit item stands for: the item without baseUnit at its end ("μF" ->
// "μ", "F" -> ""). An item that does not end in baseUnit adds nothing.
std::string UnitPrefix(std::string_view unitItem, std::string_view baseUnit);

}  // namespace benchbridge
