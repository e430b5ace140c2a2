#pragma once
// The whole simulated meter on a virtual serial port, in one object: the model on a real clock,
// its responder with the fault plan, and the pty server linked as <home>/ports/com<n>. For the
// tool and for tests that want a real meter on the line.
//
//   SimulatedMeter meter(home, {.comNumber = 3});
//   ... the panel opens COM3 of that home ...

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "instrument_core.h"
#include "pty_server.h"

namespace benchbridge::sim {

struct SimulatedMeterOptions {
  int comNumber = 9;
  InstrumentOptions instrument;
  std::vector<Fault> faults;
  int pacingBaud = 0;                 // 0: replies at once; 9600: like the real line
  std::optional<std::uint64_t> seed;  // noise seed; none: a noiseless meter
  std::function<void(const TranscriptEntry&)> onTranscript;  // on the server thread
};

class SimulatedMeter {
 public:
  // Serves at once. Throws std::runtime_error when the pty or its link cannot be made.
  SimulatedMeter(const std::filesystem::path& home, SimulatedMeterOptions options = {});
  ~SimulatedMeter();  // stops serving and removes the link
  SimulatedMeter(const SimulatedMeter&) = delete;
  SimulatedMeter& operator=(const SimulatedMeter&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  const std::filesystem::path& LinkPath() const { return linkPath_; }

  std::vector<TranscriptEntry> Transcript() const { return server_->Transcript(); }
  // Out-of-turn bytes, and pulling the cable, whenever a test wants them.
  bool Inject(const std::string& bytes) { return server_->Inject(bytes); }
  void HangUp() { server_->HangUp(); }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::string slavePath_;
  std::filesystem::path linkPath_;
  std::unique_ptr<PtyServer> server_;  // last: it stops before the model it calls goes
};

}  // namespace benchbridge::sim
