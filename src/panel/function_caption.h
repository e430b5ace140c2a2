#pragma once
// How the meter's function replies become the parameter caption CB1 ("Cs-D", "Lp-θ"). Shared by
// the connection and the function keys.

#include <string>
#include <string_view>

namespace benchbridge {

// The secondary parameter as shown: the meter's "THR" is the phase angle θ.
std::string SecondaryParamName(std::string_view reply);

// The first character of an equivalent-circuit reply, ASCII letters in lower case ("SER" -> "s").
// A reply that starts with a multi-byte character keeps that character whole.
std::string EquivalentLetter(std::string_view reply);

// Primary, equivalent letter, "-", secondary: ("C", "s", "D") -> "Cs-D".
std::string FunctionPair(std::string_view primary, std::string_view letter,
                         std::string_view secondary);

// The list switch is usable for parameter pairs and ECA: captions starting with R, Z, C, L or E
// (case matters, so "AUTO", "自动" and "DCR" do not qualify).
bool ListSwitchApplies(std::string_view caption);

}  // namespace benchbridge
