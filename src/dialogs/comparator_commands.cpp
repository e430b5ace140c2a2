#include "comparator_commands.h"

#include "meter_commands.h"
#include "text_helpers.h"

namespace benchbridge {

namespace {

constexpr std::string_view kEmptyValue = "--";

std::string WithPrefix(std::string value, std::string_view prefixItem) {
  if (!Trimmed(prefixItem).empty()) value += prefixItem;
  return value;
}

}  // namespace

std::string RangeCommand(std::string_view ending, std::string_view argument) {
  std::string line(command::kLimitPrefix);
  line += ending;
  line += ' ';
  line += argument;
  return line;
}

std::string RangeQuery(std::string_view ending) {
  std::string query(command::kLimitPrefix);
  query += ending;
  query += '?';
  return query;
}

std::string NominalArgument(std::string_view text, std::string_view prefixItem) {
  return WithPrefix(std::string(text), prefixItem);
}

std::string BinArgument(std::string_view text) {
  return Trimmed(text).empty() ? std::string(kEmptyValue) : std::string(text);
}

std::string SecondaryArgument(std::string_view text, std::string_view prefixItem) {
  return WithPrefix(BinArgument(text), prefixItem);
}

}  // namespace benchbridge
