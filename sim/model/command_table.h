#pragma once
// The meter's command set: each header, as a setting or as a query, with the handler that
// carries it out and words its one-line reply.

#include <string>
#include <string_view>
#include <vector>

#include "command_syntax.h"
#include "instrument_core.h"
#include "meter_commands.h"

namespace benchbridge::sim {

// The replies every command may get: a setting's acknowledgement, a header the meter does not
// know (in that form), and a command it cannot carry out (bad or missing parameter, a value
// outside the model's range, or a command that does not apply in the current mode).
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kCommandError = command::kCommandError;
inline constexpr std::string_view kExecutionError = command::kExecutionError;

using CommandHandler = std::string (*)(InstrumentCore& core, const CommandLine& command);

class CommandTable {
 public:
  // A setting takes a parameter; a plain command ("*TRG") and a plain query take none, and a
  // parameter given to them makes the line fail with kExecutionError.
  void AddSetting(std::string_view header, CommandHandler handler);
  void AddCommand(std::string_view header, CommandHandler handler);
  void AddQuery(std::string_view header, CommandHandler handler);
  void AddQueryWithParameter(std::string_view header, CommandHandler handler);

  // One command line (UTF-8, without its line feed) in, one reply line out.
  std::string Dispatch(InstrumentCore& core, std::string_view line) const;

 private:
  struct Entry {
    std::string_view header;
    bool query;
    bool takesParameter;
    CommandHandler handler;
  };
  std::vector<Entry> entries_;
};

// The groups of commands, each in a file of its own.
void AddMeasurementCommands(CommandTable& table);  // reading, keys, function, source, speed
void AddStatisticsCommands(CommandTable& table);   // statistics and deviation
void AddComparatorCommands(CommandTable& table);
void AddListCommands(CommandTable& table);
void AddSystemCommands(CommandTable& table);  // identification, remote, display, system options

// Helpers the groups share.
std::string Acknowledge(bool done);  // kOk or kExecutionError
std::string_view OnOffWord(bool on);
// A whole number of the unit (an optional unit suffix in any case, rounded to the nearest one),
// within [low, high].
std::optional<int> ParseWholeIn(std::string_view parameter, std::string_view unit, int low,
                                int high);

}  // namespace benchbridge::sim
