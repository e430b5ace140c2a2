#include "command_table.h"

#include <cmath>

#include "si_format.h"

namespace benchbridge::sim {

void CommandTable::AddSetting(std::string_view header, CommandHandler handler) {
  entries_.push_back({header, false, true, handler});
}

void CommandTable::AddCommand(std::string_view header, CommandHandler handler) {
  entries_.push_back({header, false, false, handler});
}

void CommandTable::AddQuery(std::string_view header, CommandHandler handler) {
  entries_.push_back({header, true, false, handler});
}

void CommandTable::AddQueryWithParameter(std::string_view header, CommandHandler handler) {
  entries_.push_back({header, true, true, handler});
}

std::string CommandTable::Dispatch(InstrumentCore& core, std::string_view line) const {
  const std::optional<CommandLine> command = ParseCommandLine(line);
  if (!command) return std::string(kCommandError);
  for (const Entry& entry : entries_) {
    if (entry.query != command->query || !HeaderMatches(entry.header, *command)) continue;
    if (!entry.takesParameter && !command->parameter.empty()) {
      return std::string(kExecutionError);
    }
    const FunctionState before = core.function;
    std::string reply = entry.handler(core, *command);
    if (!(core.function == before)) core.FunctionChanged();
    return reply;
  }
  return std::string(kCommandError);
}

std::string Acknowledge(bool done) { return std::string(done ? kOk : kExecutionError); }

std::string_view OnOffWord(bool on) { return on ? "ON" : "OFF"; }

std::optional<int> ParseWholeIn(std::string_view parameter, std::string_view unit, int low,
                                int high) {
  const std::optional<double> value = ParseNumberWithUnit(parameter, unit);
  if (!value || *value < low - 0.5 || *value >= high + 0.5) return std::nullopt;
  return static_cast<int>(std::lround(*value));
}

}  // namespace benchbridge::sim
