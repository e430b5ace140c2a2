#include "sim_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace benchbridge::testing {

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int number = text != nullptr ? std::atoi(text) : 0;
  return number > 0 ? number : fallback;
}

void SimulatedMeterTest::StartAndConnect(std::uint64_t seed, std::vector<sim::Fault> faults) {
  sim::SimulatedMeterOptions options;
  options.comNumber = kMeterCom;
  options.seed = seed;
  options.faults = std::move(faults);
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

PollerTraffic SimulatedMeterTest::ExpectLogsHoldEveryPollerReply(
    const std::string& what, const std::vector<std::string>& linkLines) {
  const PollerTraffic traffic = PollerTrafficOf(transcript_.EntriesOnceAnswered());
  std::vector<std::string> mainLog = MainLog();
  std::erase_if(mainLog, [&](const std::string& line) {
    return std::find(linkLines.begin(), linkLines.end(), line) != linkLines.end();
  });
  const LogAccount main = Account(traffic.mainLog, mainLog);
  const LogAccount readings = Account(traffic.newLog, NewLog());
  std::printf(
      "%s: %zu polls and %zu bin queries answered; main log: %zu replies sent, %zu lines found, "
      "%zu missing, %zu extra; _new log: %zu readings, %zu found, %zu missing, %zu extra\n",
      what.c_str(), traffic.polls, traffic.bins, main.sent, main.found, main.missing, main.extra,
      readings.sent, readings.found, readings.missing, readings.extra);
  EXPECT_EQ(main.missing, 0u);
  EXPECT_EQ(main.extra, 0u);
  EXPECT_EQ(readings.missing, 0u);
  EXPECT_EQ(readings.extra, 0u);
  return traffic;
}

}  // namespace benchbridge::testing
