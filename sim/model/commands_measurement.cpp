// The reading, the function keys and the function, and the source and measurement settings.

#include <charconv>

#include "command_table.h"
#include "meter_commands.h"
#include "si_format.h"

namespace benchbridge::sim {
namespace {

namespace key = benchbridge::command::key;

std::string Reading(InstrumentCore& core, const CommandLine&) {
  Measurement shown = core.Latest();
  if (core.deviationOn) shown.primaryValue -= core.deviationReference;
  return ReadingText(shown);
}

std::string Keys(InstrumentCore& core, const CommandLine& command) {
  int code = 0;
  const std::string& text = command.parameter;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::string(kExecutionError);
  }
  FunctionState& function = core.function;
  switch (code) {
    case key::kFunction:
      function.PressFunctionKey();
      return std::string(kOk);
    case key::kSecondary:
      return Acknowledge(function.PressSecondaryKey());
    case key::kCircuit:
      return Acknowledge(function.PressCircuitKey());
    case key::kCapacitor:
      function.PressCapacitorKey();
      return std::string(kOk);
    case key::kDcr:
      function.PressDcrKey();
      return std::string(kOk);
    default:
      return std::string(kExecutionError);
  }
}

std::string PrimaryQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(core.function.PrimaryReply());
}

std::string PrimarySetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"AUTO", "R", "C", "L", "Z", "DCR", "ECAP"});
  if (!index) return std::string(kExecutionError);
  constexpr Primary kPrimaries[] = {Primary::Auto, Primary::R, Primary::C, Primary::L, Primary::Z};
  if (*index == 5) {
    core.function.SetMode(BridgeMode::Dcr);
  } else if (*index == 6) {
    core.function.SetMode(BridgeMode::Ecap);
  } else {
    core.function.SetPrimary(kPrimaries[*index]);
  }
  return std::string(kOk);
}

std::string SecondaryQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(core.function.SecondaryReply(core.TrueImpedance()));
}

std::string SecondarySetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"X", "D", "Q", "THR", "ESR"});
  constexpr Secondary kSecondaries[] = {Secondary::X, Secondary::D, Secondary::Q, Secondary::Theta,
                                        Secondary::Esr};
  return Acknowledge(index && core.function.SetSecondary(kSecondaries[*index]));
}

std::string CircuitQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(core.function.CircuitReply());
}

std::string CircuitSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"AUTO", "SERies", "PAL", "PARallel"});
  constexpr Circuit kCircuits[] = {Circuit::Auto, Circuit::Series, Circuit::Parallel,
                                   Circuit::Parallel};
  return Acknowledge(index && core.function.SetCircuit(kCircuits[*index]));
}

std::string AutoRangeQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(OnOffWord(core.settings.autoRange));
}

std::string AutoRangeSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<bool> on = ParseOnOff(command.parameter);
  if (on) core.settings.autoRange = *on;
  return Acknowledge(on.has_value());
}

// Level and bias are fixed outside the AC impedance mode; the queries tell the fixed values.
std::string LevelQuery(InstrumentCore& core, const CommandLine&) {
  switch (core.function.Mode()) {
    case BridgeMode::Dcr:
      return "0";
    case BridgeMode::Ecap:
      return "1000";
    case BridgeMode::Lcr:
      break;
  }
  return std::to_string(core.settings.levelMv);
}

// A source setting that changes what the bridge measures, so the reading is taken anew.
std::string StoreSource(InstrumentCore& core, bool accepted, std::optional<int> value, int& field) {
  if (!accepted || !value) return std::string(kExecutionError);
  field = *value;
  core.Invalidate();
  return std::string(kOk);
}

std::string LevelSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<int> level =
      ParseWholeIn(command.parameter, "mV", kLevelRangeMv.lowest, kLevelRangeMv.highest);
  const bool accepted =
      core.function.Mode() == BridgeMode::Lcr && level && core.Options().model.AcceptsLevel(*level);
  return StoreSource(core, accepted, level, core.settings.levelMv);
}

std::string BiasQuery(InstrumentCore& core, const CommandLine&) {
  if (core.function.Mode() != BridgeMode::Lcr) return "1500";
  return std::to_string(core.settings.biasMv);
}

std::string BiasSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<int> bias =
      ParseWholeIn(command.parameter, "mV", kBiasRangeMv.lowest, kBiasRangeMv.highest);
  return StoreSource(core, core.function.Mode() == BridgeMode::Lcr, bias, core.settings.biasMv);
}

std::string FrequencyQuery(InstrumentCore& core, const CommandLine&) {
  if (core.function.Mode() == BridgeMode::Dcr) return "0";
  return std::to_string(core.settings.frequencyHz);
}

std::string FrequencySetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<int> frequency = ParseWholeIn(command.parameter, "Hz", 1, 1000000);
  const bool accepted = core.function.Mode() != BridgeMode::Dcr && frequency &&
                        core.Options().model.AcceptsFrequency(*frequency);
  return StoreSource(core, accepted, frequency, core.settings.frequencyHz);
}

std::string OutputResistanceQuery(InstrumentCore& core, const CommandLine&) {
  return std::to_string(core.settings.outputResistance);
}

std::string OutputResistanceSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index = KeywordIndex(command.parameter, {"0", "1"});
  if (index) core.settings.outputResistance = static_cast<int>(*index);
  return Acknowledge(index.has_value());
}

std::string ApertureQuery(InstrumentCore& core, const CommandLine&) {
  return std::string(ApertureWord(core.settings.aperture));
}

std::string ApertureSetting(InstrumentCore& core, const CommandLine& command) {
  const std::optional<std::size_t> index =
      KeywordIndex(command.parameter, {"FAST", "MEDium", "SLOW"});
  constexpr Aperture kApertures[] = {Aperture::Fast, Aperture::Medium, Aperture::Slow};
  if (index) core.settings.aperture = kApertures[*index];
  return Acknowledge(index.has_value());
}

}  // namespace

void AddMeasurementCommands(CommandTable& table) {
  table.AddQuery("FETCh:INTernal", Reading);
  table.AddQuery("FETCh", Reading);
  table.AddSetting("KEYS", Keys);
  table.AddQuery("FUNCtion:IMPedance:A", PrimaryQuery);
  table.AddSetting("FUNCtion:IMPedance:A", PrimarySetting);
  table.AddQuery("FUNCtion:IMPedance:B", SecondaryQuery);
  table.AddSetting("FUNCtion:IMPedance:B", SecondarySetting);
  table.AddQuery("FUNCtion:IMPedance:EQUivalent", CircuitQuery);
  table.AddSetting("FUNCtion:IMPedance:EQUivalent", CircuitSetting);
  table.AddQuery("FUNCtion:IMPedance:RANGe:AUTO", AutoRangeQuery);
  table.AddSetting("FUNCtion:IMPedance:RANGe:AUTO", AutoRangeSetting);
  table.AddQuery("VOLTage:LEVel", LevelQuery);
  table.AddSetting("VOLTage:LEVel", LevelSetting);
  table.AddQuery("BIAS:VOLTage:LEVel", BiasQuery);
  table.AddSetting("BIAS:VOLTage:LEVel", BiasSetting);
  table.AddQuery("FREQuency:CW", FrequencyQuery);
  table.AddSetting("FREQuency:CW", FrequencySetting);
  table.AddQuery("OUTput:RESistance", OutputResistanceQuery);
  table.AddSetting("OUTput:RESistance", OutputResistanceSetting);
  table.AddQuery("APERture", ApertureQuery);
  table.AddSetting("APERture", ApertureSetting);
}

}  // namespace benchbridge::sim
