#include "sim_harness.h"

#include <cstdlib>

namespace benchbridge::testing {

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int number = text != nullptr ? std::atoi(text) : 0;
  return number > 0 ? number : fallback;
}

void SimulatedMeterTest::StartAndConnect(std::uint64_t seed) {
  sim::SimulatedMeterOptions options;
  options.comNumber = kMeterCom;
  options.seed = seed;
  options.instrument.model = *sim::FindModel("LX2110");
  options.onTranscript = [this](const sim::TranscriptEntry& entry) { transcript_.Add(entry); };
  sim_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), std::move(options));
  StartCountingPanel();
  ConnectPanel();
}

void SimulatedMeterTest::TearDown() {
  panel_.reset();  // the panel lets go of the line before the meter goes
  sim_.reset();
  FaultHarness::TearDown();
}

}  // namespace benchbridge::testing
