#include "simulated_meter.h"

#include "clock_noise.h"
#include "instrument.h"
#include "instrument_responder.h"

namespace benchbridge::sim {

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
};

SimulatedMeter::SimulatedMeter(const std::filesystem::path& home, SimulatedMeterOptions options)
    : parts_(std::make_unique<Parts>(options)) {
  auto endpoint = std::make_unique<PtyEndpoint>(home, options.comNumber);
  slavePath_ = endpoint->SlavePath();
  linkPath_ = endpoint->LinkPath();
  PtyServerOptions serverOptions;
  serverOptions.pacingBaud = options.pacingBaud;
  serverOptions.onTranscript = std::move(options.onTranscript);
  server_ = std::make_unique<PtyServer>(std::move(endpoint), parts_->responder.AsResponder(),
                                        std::move(serverOptions));
  server_->Start();
}

SimulatedMeter::~SimulatedMeter() { server_.reset(); }

}  // namespace benchbridge::sim
