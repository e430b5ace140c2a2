// Statistics of the primary reading, and deviation from the reading at switch-on.

#include <limits>

#include "command_table.h"

namespace benchbridge::sim {
namespace {

std::string StatisticSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"MAX", "MIN", "AVG", "OFF"});
  if (!index) return std::string(kExecutionError);
  constexpr StatisticMode kModes[] = {StatisticMode::Max, StatisticMode::Min, StatisticMode::Avg,
                                      StatisticMode::Off};
  // A statistic counts the reading on display when it is switched on, so it has a value at once.
  const double shown = core.Latest().primaryValue;
  core.statistics.Start(kModes[*index]);
  core.statistics.Add(shown);
  return std::string(kOk);
}

std::string StatisticModeQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(StatisticWord(core.statistics.Mode()));
}

// The value with the primary parameter's unit, like a reading: "10.023nF".
std::string StatisticValueQuery(InstrumentCore& core, const CommandLine&) {
  const Quantity quantity = core.Latest().primary;
  if (core.statistics.Mode() == StatisticMode::Off) return std::string(kExecutionError);
  return FormatQuantity(quantity,
                        core.statistics.Value().value_or(std::numeric_limits<double>::quiet_NaN()));
}

std::string DeviationSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<bool> on = ParseOnOff(command.parameter);
  if (!on) return std::string(kExecutionError);
  if (*on) core.deviationReference = core.Latest().primaryValue;
  core.deviationOn = *on;
  return std::string(kOk);
}

std::string DeviationQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(OnOffWord(core.deviationOn));
}

}  // namespace

void AddStatisticsCommands(CommandTable& table) {
  table.AddSetting("FUNCtion:COM", StatisticSetting);
  table.AddQuery("FUNCtion:COM", StatisticModeQuery);
  table.AddQuery("FUNCtion:COMV", StatisticValueQuery);
  table.AddSetting("FUNCtion:DEV:MODE", DeviationSetting);
  table.AddQuery("FUNCtion:DEV:MODE", DeviationQuery);
}

}  // namespace benchbridge::sim
