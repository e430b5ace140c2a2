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

  const std::string& SlavePath() const { return slavePath_; }  // of the latest pty
  const std::filesystem::path& LinkPath() const { return linkPath_; }

  // What the current pty's server kept; nothing while unplugged.
  std::vector<TranscriptEntry> Transcript() const;
  // Out-of-turn bytes, and pulling the cable, whenever a test wants them (while plugged in).
  bool Inject(const std::string& bytes);
  void HangUp();

  // Like a USB adapter pulled out: the pty closes and the link goes, so the panel's end hangs up
  // and the port's node is gone. The line goes down between two exchanges: a command that
  // arrives once the pull is asked for still gets its reply, and the line closes a moment
  // after it (time for the panel to take the reply in, as an adapter would have delivered it).
  // An idle line (no command within a second) closes at once. Returns with the link removed.
  void Unplug();
  // Plugged in again: a new pty behind a new link of the same COM number. The meter is the same
  // one (its settings and readings go on), as when only the cable was out.
  void Replug();
  bool Plugged() const { return server_ != nullptr; }

 private:
  struct Parts;
  void Serve();

  std::unique_ptr<Parts> parts_;
  std::filesystem::path home_;
  int comNumber_;
  PtyServerOptions serverOptions_;
  std::string slavePath_;
  std::filesystem::path linkPath_;
  std::unique_ptr<PtyServer> server_;  // last: it stops before the model it calls goes
};

}  // namespace benchbridge::sim
