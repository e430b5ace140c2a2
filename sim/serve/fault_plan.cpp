#include "fault_plan.h"

#include <algorithm>
#include <cctype>

namespace benchbridge::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool CommandMatch::Matches(std::string_view commandLine, int count) const {
  if (count < fromCount || (onlyCount > 0 && count != onlyCount)) return false;
  if (text.empty()) return true;
  while (!commandLine.empty() && IsBlank(commandLine.front())) commandLine.remove_prefix(1);
  while (!commandLine.empty() && IsBlank(commandLine.back())) commandLine.remove_suffix(1);
  if (text.ends_with('*')) {
    const std::string_view start = std::string_view(text).substr(0, text.size() - 1);
    return commandLine.size() >= start.size() &&
           SameIgnoringCase(commandLine.substr(0, start.size()), start);
  }
  return SameIgnoringCase(commandLine, text);
}

}  // namespace benchbridge::sim
