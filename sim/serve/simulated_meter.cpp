#include "simulated_meter.h"

#include <mutex>

#include "clock_noise.h"
#include "instrument.h"
#include "instrument_responder.h"

namespace benchbridge::sim {

namespace {
// How long a pull waits for the panel's next command before it closes an idle line.
constexpr std::chrono::milliseconds kUnplugQuietWait{1000};
// How long the last reply may take to go out (a slow fault, a panel that reads nothing).
constexpr std::chrono::milliseconds kLastReplyWait{10000};
}  // namespace

struct SimulatedMeter::Parts {
  explicit Parts(const SimulatedMeterOptions& options)
      : noise(options.seed ? std::unique_ptr<NoiseSource>(new SeededNoise(*options.seed))
                           : std::unique_ptr<NoiseSource>(new FixedNoise())),
        instrument(options.instrument, clock, *noise),
        responder(instrument, options.faults) {}

  SteadyClock clock;
  std::unique_ptr<NoiseSource> noise;
  Instrument instrument;
  InstrumentResponder responder;
  // A pull under way, as the server thread sees it between commands.
  std::mutex plugMutex;
  bool unplugging = false;  // the next command's reply is the last one
  bool answered = false;    // ... and that command has come
  bool closing = false;     // no command came: the line closes now, without another reply
};

SimulatedMeter::SimulatedMeter(const std::filesystem::path& home, SimulatedMeterOptions options)
    : parts_(std::make_unique<Parts>(options)), home_(home), comNumber_(options.comNumber) {
  serverOptions_.pacingBaud = options.pacingBaud;
  serverOptions_.onTranscript = std::move(options.onTranscript);
  Serve();
}

SimulatedMeter::~SimulatedMeter() { server_.reset(); }

void SimulatedMeter::Serve() {
  auto endpoint = std::make_unique<PtyEndpoint>(home_, comNumber_);
  slavePath_ = endpoint->SlavePath();
  linkPath_ = endpoint->LinkPath();
  Responder respond = [this](const std::string& command) {
    std::lock_guard guard(parts_->plugMutex);
    if (parts_->closing) {
      Response gone;
      gone.hangUpAfter = true;
      return gone;
    }
    Response response = parts_->responder.Respond(command);
    if (parts_->unplugging) {
      // A pty drops what the panel has not read yet when its master closes; a pulled adapter
      // would have delivered a reply that was on the wire, so the line stays up a moment.
      response.pieces.push_back({"", kHangUpGrace});
      response.hangUpAfter = true;
      parts_->answered = true;
    }
    return response;
  };
  server_ = std::make_unique<PtyServer>(std::move(endpoint), std::move(respond), serverOptions_);
  server_->Start();
}

std::vector<TranscriptEntry> SimulatedMeter::Transcript() const {
  return server_ ? server_->Transcript() : std::vector<TranscriptEntry>{};
}

bool SimulatedMeter::Inject(const std::string& bytes) { return server_ && server_->Inject(bytes); }

void SimulatedMeter::HangUp() {
  if (server_) server_->HangUp();
}

void SimulatedMeter::Unplug() {
  if (!server_) return;
  {
    std::lock_guard guard(parts_->plugMutex);
    parts_->unplugging = true;
  }
  if (!server_->WaitHungUp(kUnplugQuietWait)) {
    bool answered = false;
    {
      std::lock_guard guard(parts_->plugMutex);
      answered = parts_->answered;
      parts_->closing = !answered;
    }
    // A last reply still on its way closes the line itself once it is out; a line that stays
    // open past that (its reply was never taken) is closed all the same.
    if (!answered || !server_->WaitHungUp(kLastReplyWait)) server_->HangUp();
  }
  server_.reset();  // the endpoint takes its link with it
  std::lock_guard guard(parts_->plugMutex);
  parts_->unplugging = parts_->answered = parts_->closing = false;
}

void SimulatedMeter::Replug() {
  if (!server_) Serve();
}

}  // namespace benchbridge::sim
