#pragma once
// The command line of benchbridge-sim.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "instrument_core.h"

namespace benchbridge::sim {

struct SimOptions {
  int comNumber = 9;
  std::optional<std::filesystem::path> home;  // none: beside the panel of this build
  InstrumentOptions instrument;
  std::optional<unsigned long long> seed;  // none: a fresh one each run
  int pacingBaud = 0;
  std::optional<std::filesystem::path> transcript;
  std::vector<Fault> faults;
  // Pulled out this long after each plug-in, plugged in again this long after each pull.
  std::optional<std::chrono::milliseconds> unplugAfter, replugAfter;
  bool help = false;
};

struct ParsedOptions {
  SimOptions options;
  std::string error;  // empty when the command line was good
};

ParsedOptions ParseSimOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace benchbridge::sim
