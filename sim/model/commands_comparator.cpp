// The comparator: its switch, nominal value, bin limits in percent, secondary limits and the bin
// of the current reading.

#include "command_table.h"
#include "si_format.h"

namespace benchbridge::sim {
namespace {

std::string StateSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<bool> on = ParseOnOff(command.parameter);
  if (on) core.comparator.on = *on;
  return Acknowledge(on.has_value());
}

std::string StateQuery(InstrumentCore& core, const CommandLine&) {
  if (core.Options().comparatorNumeric) return core.comparator.on ? "1" : "0";
  return std::string(OnOffWord(core.comparator.on));
}

std::string NominalSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<double> nominal = ParsePrefixedNumber(command.parameter);
  if (!nominal || *nominal <= 0.0) return std::string(kExecutionError);
  core.comparator.nominal = *nominal;
  return std::string(kOk);
}

std::string NominalQuery(InstrumentCore& core, const CommandLine&) {
  return FormatExponent(core.comparator.nominal);
}

// The six percent limits: 1L, 1H, 2L, 2H, 3L, 3H. The header's last word tells which.
int PercentIndex(const CommandLine& command) {
  const std::string& word = command.words.back();
  const int bin = word[0] - '1';
  const bool high = word[1] == 'H' || word[1] == 'h';
  return 2 * bin + (high ? 1 : 0);
}

std::string PercentSetting(InstrumentCore& core, const CommandLine& command) {
  std::optional<double>& limit = core.comparator.percent[PercentIndex(command)];
  if (IsNoLimit(command.parameter)) {
    limit.reset();
    return std::string(kOk);
  }
  const std::optional<double> percent = ParseNumberWithUnit(command.parameter, "%");
  if (!percent || *percent < -kPercentLimit || *percent > kPercentLimit) {
    return std::string(kExecutionError);
  }
  limit = *percent;
  return std::string(kOk);
}

// An unset bin limit reads as the meter's dashed display field; the comparator dialog passes
// "------" through untouched on its next Set, whereas "--" would not be taken as a number.
std::string PercentQuery(InstrumentCore& core, const CommandLine& command) {
  const std::optional<double>& limit = core.comparator.percent[PercentIndex(command)];
  return limit ? FormatPercent(*limit) : "------";
}

std::optional<double>& SecondaryLimit(InstrumentCore& core, const CommandLine& command) {
  const char last = command.words.back().back();
  return last == 'H' || last == 'h' ? core.comparator.secondaryHigh : core.comparator.secondaryLow;
}

std::string SecondarySetting(InstrumentCore& core, const CommandLine& command) {
  std::optional<double>& limit = SecondaryLimit(core, command);
  if (IsNoLimit(command.parameter)) {
    limit.reset();
    return std::string(kOk);
  }
  const std::optional<double> value = ParsePrefixedNumber(command.parameter);
  if (!value) return std::string(kExecutionError);
  limit = *value;
  return std::string(kOk);
}

std::string SecondaryQuery(InstrumentCore& core, const CommandLine& command) {
  const std::optional<double>& limit = SecondaryLimit(core, command);
  return limit ? FormatExponent(*limit) : "--";
}

std::string BinQuery(InstrumentCore& core, const CommandLine&) {
  if (!core.comparator.on) return std::string(kExecutionError);
  return core.comparator.Bin(core.Latest());
}

}  // namespace

void AddComparatorCommands(CommandTable& table) {
  table.AddSetting("COMParator:STATe", StateSetting);
  table.AddQuery("COMParator:STATe", StateQuery);
  table.AddSetting("COMParator:TOLerance:NOMinal", NominalSetting);
  table.AddQuery("COMParator:TOLerance:NOMinal", NominalQuery);
  for (const std::string_view header :
       {"COMParator:TOLerance:RANGe:1L", "COMParator:TOLerance:RANGe:1H",
        "COMParator:TOLerance:RANGe:2L", "COMParator:TOLerance:RANGe:2H",
        "COMParator:TOLerance:RANGe:3L", "COMParator:TOLerance:RANGe:3H"}) {
    table.AddSetting(header, PercentSetting);
    table.AddQuery(header, PercentQuery);
  }
  for (const std::string_view header :
       {"COMParator:TOLerance:RANGe:2NDL", "COMParator:TOLerance:RANGe:2NDH"}) {
    table.AddSetting(header, SecondarySetting);
    table.AddQuery(header, SecondaryQuery);
  }
  table.AddQuery("COMParator:TOLerance:BIN", BinQuery);
}

}  // namespace benchbridge::sim
