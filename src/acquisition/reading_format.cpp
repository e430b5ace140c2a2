#include "reading_format.h"

#include <array>
#include <cstddef>
#include <utility>

#include "gbk.h"

namespace benchbridge {
namespace {

constexpr std::string_view kMicro = "\xCE\xBC";  // μ, U+03BC

// Takes the text before the next comma off the front of rest; false when no comma is left.
bool TakeField(std::string_view& rest, std::string& field) {
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  field = std::string(rest.substr(0, comma));
  rest.remove_prefix(comma + 1);
  return true;
}

bool IsNumberByte(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; }

// The unit is the longest tail without digits, points and minus signs.
void CutValueUnit(std::string_view field, std::string& value, std::string& unit) {
  std::size_t cut = field.size();
  while (cut > 0 && !IsNumberByte(field[cut - 1])) --cut;
  value = std::string(field.substr(0, cut));
  unit = std::string(field.substr(cut));
  if (!unit.empty() && unit.front() == 'u') {
    unit = std::string(kMicro) + std::string(GbkBytesPrefix(std::string_view(unit).substr(1), 2));
  }
}

struct PrefixRule {
  std::string_view prefix;
  std::string_view exponent;
};

// Tried in this order, each on the unit the earlier rules left.
constexpr std::array<PrefixRule, 6> kPrefixRules{{
    {"m", "e-3"},
    {kMicro, "e-6"},
    {"n", "e-9"},
    {"p", "e-12"},
    {"k", "e3"},
    {"M", "e6"},
}};

}  // namespace

Reading SplitReading(std::string_view reply) {
  Reading reading;
  if (reply.find(',') == std::string_view::npos) {
    reading.primaryName = std::string(reply);
    return reading;
  }
  std::string_view rest = reply;
  TakeField(rest, reading.primaryName);
  std::string primaryField;
  if (TakeField(rest, primaryField)) TakeField(rest, reading.secondaryName);
  CutValueUnit(primaryField, reading.primaryValue, reading.primaryUnit);
  CutValueUnit(rest, reading.secondaryValue, reading.secondaryUnit);
  return reading;
}

ValueUnit NormaliseValue(std::string value, std::string unit) {
  for (const PrefixRule& rule : kPrefixRules) {
    if (unit.starts_with(rule.prefix)) {
      value += rule.exponent;
      unit = std::string(GbkBytesPrefix(std::string_view(unit).substr(rule.prefix.size()), 2));
    }
  }
  return {std::move(value), std::move(unit)};
}

Reading NormaliseReading(const Reading& reading) {
  Reading normalised = reading;
  ValueUnit primary = NormaliseValue(reading.primaryValue, reading.primaryUnit);
  normalised.primaryValue = std::move(primary.value);
  normalised.primaryUnit = std::move(primary.unit);
  if (!reading.secondaryUnit.empty() && reading.secondaryUnit != "deg") {
    ValueUnit secondary = NormaliseValue(reading.secondaryValue, reading.secondaryUnit);
    normalised.secondaryValue = std::move(secondary.value);
    normalised.secondaryUnit = std::move(secondary.unit);
  }
  return normalised;
}

std::string NewLogLine(const Reading& normalised) {
  std::string line;
  for (const std::string* field :
       {&normalised.primaryName, &normalised.primaryValue, &normalised.primaryUnit,
        &normalised.secondaryName, &normalised.secondaryValue, &normalised.secondaryUnit}) {
    if (field != &normalised.primaryName) line += ',';
    line += *field;
  }
  return line;
}

}  // namespace benchbridge
