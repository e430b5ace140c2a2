// Identification, remote and local operation, the display page, the trigger, and the system
// options of the setup page.

#include "command_table.h"

namespace benchbridge::sim {
namespace {

constexpr std::string_view kMaker = "Benchbridge Sim";
constexpr std::string_view kFirmware = "V1.3.0";
constexpr std::string_view kHardware = "HW2.1";

// Maker, model, firmware version, hardware version, serial number.
std::string Identification(InstrumentCore& core, const CommandLine&) {
  const ModelInfo& model = core.Options().model;
  return std::string(kMaker) + "," + model.name + "," + std::string(kFirmware) + "," +
         std::string(kHardware) + ",SIM" + model.Number() + "0001";
}

std::string ModelNumber(InstrumentCore& core, const CommandLine&) {
  return core.Options().model.Number();
}

std::string Trigger(InstrumentCore& core, const CommandLine&) {
  core.Trigger();
  return std::string(kOk);
}

std::string ResetAll(InstrumentCore& core, const CommandLine&) {
  core.Reset();
  return std::string(kOk);
}

std::string Remote(InstrumentCore& core, const CommandLine&) {
  core.settings.remote = true;
  return std::string(kOk);
}

std::string Local(InstrumentCore& core, const CommandLine&) {
  core.settings.remote = false;
  return std::string(kOk);
}

// The remote interface works on the measurement page only.
std::string PageSetting(InstrumentCore&, const CommandLine& command) {
  return Acknowledge(KeywordIndex(command.parameter, {"MEASurement"}).has_value());
}

std::string PageQuery(InstrumentCore&, const CommandLine&) { return "MEASurement"; }

std::string StartSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"0", "1", "DEFault", "LAST"});
  if (index) core.settings.startWithLast = *index == 1 || *index == 3;
  return Acknowledge(index.has_value());
}

std::string StartQuery(InstrumentCore& core, const CommandLine&) {
  return core.settings.startWithLast ? "LAST" : "DEFault";
}

std::string BeeperSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<bool> on = ParseOnOff(command.parameter);
  if (on) core.settings.beeper = *on;
  return Acknowledge(on.has_value());
}

std::string BeeperQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(OnOffWord(core.settings.beeper));
}

std::string SourceSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"INTernal", "EXTernal", "MANual"});
  constexpr TriggerSource kSources[] = {TriggerSource::Internal, TriggerSource::External,
                                        TriggerSource::Manual};
  if (index) core.settings.trigger = kSources[*index];
  return Acknowledge(index.has_value());
}

std::string SourceQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(TriggerWord(core.settings.trigger));
}

Tone& ToneFor(InstrumentCore& core, const CommandLine& command) {
  return WordMatches("PASS", command.words.back()) ? core.settings.passTone
                                                   : core.settings.failTone;
}

std::string ToneSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"OFF", "SHOrt", "LONg"});
  constexpr Tone kTones[] = {Tone::Off, Tone::Short, Tone::Long};
  if (index) ToneFor(core, command) = kTones[*index];
  return Acknowledge(index.has_value());
}

std::string ToneQuery(InstrumentCore& core, const CommandLine& command) {
  return std::string(ToneWord(ToneFor(core, command)));
}

}  // namespace

void AddSystemCommands(CommandTable& table) {
  table.AddQuery("*IDN", Identification);
  table.AddQuery("*LX", ModelNumber);
  table.AddCommand("*TRG", Trigger);
  table.AddCommand("*RST", ResetAll);
  table.AddCommand("SYSTem:REMote", Remote);
  table.AddCommand("SYSTem:LOCal", Local);
  table.AddSetting("DISPlay:PAGE", PageSetting);
  table.AddQuery("DISPlay:PAGE", PageQuery);
  table.AddSetting("SYSTem:STARt", StartSetting);
  table.AddQuery("SYSTem:STARt", StartQuery);
  table.AddSetting("SYSTem:BEEPer:STATe", BeeperSetting);
  table.AddQuery("SYSTem:BEEPer:STATe", BeeperQuery);
  table.AddSetting("SYSTem:SOURce", SourceSetting);
  table.AddQuery("SYSTem:SOURce", SourceQuery);
  table.AddSetting("SYSTem:BEEPer:PASS", ToneSetting);
  table.AddQuery("SYSTem:BEEPer:PASS", ToneQuery);
  table.AddSetting("SYSTem:BEEPer:FAIL", ToneSetting);
  table.AddQuery("SYSTem:BEEPer:FAIL", ToneQuery);
}

}  // namespace benchbridge::sim
