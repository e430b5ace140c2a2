// benchbridge-sim: serves the simulated meter on a pseudo-terminal linked beside the panel.

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <random>

#include "home_folders.h"
#include "sim_options.h"
#include "simulated_meter.h"
#include "stop_request.h"
#include "transcript_file.h"

#ifndef BENCHBRIDGE_SIM_PANEL_HOME
#define BENCHBRIDGE_SIM_PANEL_HOME "."
#endif

namespace {

using namespace benchbridge::sim;

// Where the panel started without --home looks for its ports: its own rule applied to the
// folder of its executable, which in a build tree lies at a fixed place relative to this one
// and, installed, is this one's folder (so the installed pair meets in ~/.config/benchbridge).
std::filesystem::path DefaultHome() {
  std::error_code ignored;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  std::filesystem::path panelDir =
      std::filesystem::weakly_canonical(self.parent_path() / BENCHBRIDGE_SIM_PANEL_HOME, ignored);
  if (!std::filesystem::is_directory(panelDir, ignored)) panelDir = self.parent_path();
  return benchbridge::ChooseHomeFolders(panelDir, std::nullopt).config;
}

// Pulls the cable and puts it back when asked (signals) or when its time has come (options),
// until the tool is asked to stop; returns what stopped it.
const char* ServeUntilStopped(SimulatedMeter& meter, const SimOptions& options,
                              StopRequest& requests) {
  using Clock = std::chrono::steady_clock;
  const auto nextChange = [&]() -> std::optional<Clock::time_point> {
    const auto& after = meter.Plugged() ? options.unplugAfter : options.replugAfter;
    if (!after) return std::nullopt;
    return Clock::now() + *after;
  };
  std::optional<Clock::time_point> due = nextChange();
  for (;;) {
    const ToolRequest request = requests.Next(due);
    using Kind = ToolRequest::Kind;
    if (request.kind == Kind::Stop) return request.what;
    const bool unplug =
        request.kind == Kind::Unplug || (request.kind == Kind::TimeUp && meter.Plugged());
    if (unplug && meter.Plugged()) {
      meter.Unplug();
      std::cout << "benchbridge-sim: unplugged COM" << options.comNumber << " (" << request.what
                << "), " << meter.LinkPath().string() << " removed" << std::endl;
    } else if (!unplug && !meter.Plugged()) {
      meter.Replug();
      std::cout << "benchbridge-sim: plugged in again (" << request.what << "): serving COM"
                << options.comNumber << " on " << meter.SlavePath() << ", linked as "
                << meter.LinkPath().string() << std::endl;
    } else {
      continue;  // already as asked; the time of the next change stands
    }
    due = nextChange();
  }
}

int Serve(const SimOptions& options) {
  StopRequest stop;  // before any thread, so that no thread takes the stop signals
  std::unique_ptr<TranscriptFile> transcript;
  if (options.transcript) transcript = std::make_unique<TranscriptFile>(*options.transcript);

  SimulatedMeterOptions meterOptions;
  meterOptions.comNumber = options.comNumber;
  meterOptions.instrument = options.instrument;
  meterOptions.faults = options.faults;
  meterOptions.pacingBaud = options.pacingBaud;
  meterOptions.seed = options.seed.value_or(std::random_device{}());
  if (transcript) {
    meterOptions.onTranscript = [&](const TranscriptEntry& entry) { transcript->Write(entry); };
  }
  const char* why = nullptr;
  std::string link;
  {
    SimulatedMeter meter(options.home.value_or(DefaultHome()), std::move(meterOptions));
    link = meter.LinkPath().string();
    std::cout << "benchbridge-sim: " << options.instrument.model.name << " measuring a "
              << options.instrument.dut.Describe() << "\n"
              << "benchbridge-sim: serving COM" << options.comNumber << " on " << meter.SlavePath()
              << ", linked as " << link << std::endl;
    why = ServeUntilStopped(meter, options, stop);
  }  // the meter takes its link with it
  std::cout << "benchbridge-sim: stopped on " << why << ", " << link << " removed" << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const ParsedOptions parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "benchbridge-sim: " << parsed.error << "\n";
    return 2;
  }
  if (parsed.options.help) {
    std::cout << UsageText();
    return 0;
  }
  try {
    return Serve(parsed.options);
  } catch (const std::exception& error) {
    std::cerr << "benchbridge-sim: " << error.what() << "\n";
    return 1;
  }
}
