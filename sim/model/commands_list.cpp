// The list sweep: its switch, its mode, and its seven points.

#include <charconv>

#include "ascii_text.h"
#include "command_table.h"
#include "si_format.h"

namespace benchbridge::sim {
namespace {

std::optional<int> PointIndex(std::string_view text) {
  text = TrimBlanks(text);
  int index = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (index < 0 || index >= ListSweep::kPoints) return std::nullopt;
  return index;
}

std::string StateSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<bool> on = ParseOnOff(command.parameter);
  if (!on || (*on && !core.function.ListApplies())) return std::string(kExecutionError);
  if (*on && !core.list.on) core.list.ClearResults();
  core.list.on = *on;
  return std::string(kOk);
}

std::string StateQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(OnOffWord(core.list.on));
}

std::string ModeSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index = KeywordIndex(command.parameter, {"SEQuence", "STEP"});
  if (index) core.list.mode = *index == 0 ? ListMode::Sequence : ListMode::Step;
  return Acknowledge(index.has_value());
}

std::string ModeQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(ListModeWord(core.list.mode));
}

// While the meter triggers itself the sweep runs all the time, so a point asked for shows a
// fresh value; otherwise it shows what the last trigger measured.
std::string PointQuery(InstrumentCore& core, std::string_view indexText) {
  const std::optional<int> index = PointIndex(indexText);
  if (!index) return std::string(kExecutionError);
  if (core.list.on && core.settings.trigger == TriggerSource::Internal)
    core.MeasureListPoint(*index);
  return core.list.PointReply(*index);
}

std::optional<double> LimitFrom(std::string_view text, bool& valid) {
  if (IsNoLimit(text)) return std::nullopt;
  const std::optional<double> limit = ParsePrefixedNumber(text);
  valid = valid && limit.has_value();
  return limit;
}

// "k,f,low,high", or "k?" for the query.
std::string PointSetting(InstrumentCore& core, const CommandLine& command) {
  std::string_view text = command.parameter;
  if (text.ends_with('?')) return PointQuery(core, text.substr(0, text.size() - 1));
  std::string_view fields[4];
  for (int field = 0; field < 4; ++field) {
    const std::size_t comma = field < 3 ? text.find(',') : std::string_view::npos;
    if (field < 3 && comma == std::string_view::npos) return std::string(kExecutionError);
    fields[field] = TrimBlanks(text.substr(0, comma));
    text = comma == std::string_view::npos ? "" : text.substr(comma + 1);
  }
  const std::optional<int> index = PointIndex(fields[0]);
  if (!index || fields[3].find(',') != std::string_view::npos) {
    return std::string(kExecutionError);
  }
  ListPoint point;  // without a frequency the point leaves the sweep, limits and all
  if (!IsNoLimit(fields[1])) {
    const std::optional<int> frequency = ParseWholeIn(fields[1], "Hz", 1, 1000000);
    if (!frequency || !core.Options().model.AcceptsFrequency(*frequency)) {
      return std::string(kExecutionError);
    }
    point.frequencyHz = *frequency;
  }
  bool valid = true;
  point.low = LimitFrom(fields[2], valid);
  point.high = LimitFrom(fields[3], valid);
  if (!valid) return std::string(kExecutionError);
  if (!point.frequencyHz) point = ListPoint{};
  core.list.points[*index] = point;
  return std::string(kOk);
}

std::string PointQueryWithParameter(InstrumentCore& core, const CommandLine& command) {
  return PointQuery(core, command.parameter);
}

}  // namespace

void AddListCommands(CommandTable& table) {
  table.AddSetting("LIST:STATe", StateSetting);
  table.AddQuery("LIST:STATe", StateQuery);
  table.AddSetting("LIST:MODE", ModeSetting);
  table.AddQuery("LIST:MODE", ModeQuery);
  table.AddSetting("LIST:PARAmeter", PointSetting);
  table.AddQueryWithParameter("LIST:PARAmeter", PointQueryWithParameter);
}

}  // namespace benchbridge::sim
