#include "fault_plan.h"

#include "ascii_text.h"

namespace benchbridge::sim {

bool CommandMatch::Matches(std::string_view commandLine, int count) const {
  if (count < fromCount || (onlyCount > 0 && count != onlyCount)) return false;
  if (text.empty()) return true;
  commandLine = TrimBlanks(commandLine);
  if (text.ends_with('*')) {
    const std::string_view start = std::string_view(text).substr(0, text.size() - 1);
    return commandLine.size() >= start.size() &&
           EqualIgnoringCase(commandLine.substr(0, start.size()), start);
  }
  return EqualIgnoringCase(commandLine, text);
}

}  // namespace benchbridge::sim
