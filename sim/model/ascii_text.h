#pragma once
// The few text operations the command language needs; letter case means ASCII letter case.

#include <string>
#include <string_view>

namespace benchbridge::sim {

// Without leading and trailing blanks, tabs, CRs and LFs.
std::string_view TrimBlanks(std::string_view text);

bool EqualIgnoringCase(std::string_view a, std::string_view b);

std::string UpperCase(std::string_view text);

}  // namespace benchbridge::sim
