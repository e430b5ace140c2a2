#pragma once
// The real panel on the simulated meter (its instrument model on a real pty), with the whole
// transcript of the line kept for the test to hold against the logs.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fault_harness.h"
#include "simulated_meter.h"
#include "wire_account.h"

namespace benchbridge::testing {

// A positive number from the environment (a longer run by hand), else the fallback.
int EnvironmentNumber(const char* name, int fallback);

class SimulatedMeterTest : public FaultHarness {
 protected:
  // A noisy LX2110 (noise from seed) as COM5, unpaced, with faults, then the panel, connected.
  void StartAndConnect(std::uint64_t seed, std::vector<sim::Fault> faults = {});
  void TearDown() override;
  // Holds the day's logs against the transcript (after the disconnect, so the poller's last cycle
  // is in): prints "<what>: ..." with the replies sent and the lines found, missing and extra in
  // both logs, expects none missing or extra, and returns the poller's traffic. Main-log lines
  // equal to one of linkLines ("link lost.", ...) answer no reply and are left out.
  PollerTraffic ExpectLogsHoldEveryPollerReply(const std::string& what,
                                               const std::vector<std::string>& linkLines = {});

  TranscriptRecorder transcript_;
  std::unique_ptr<sim::SimulatedMeter> sim_;
};

}  // namespace benchbridge::testing
